#include "host/command_line.h"

namespace {

unsigned char At(const char* cursor) { return static_cast<unsigned char>(*cursor); }

} // namespace

const char* SkipProgramName(const char* raw, CharacterStep step) {
    const char* cursor = raw;
    if (*cursor == '"') {
        do {
            cursor = step(cursor);
        } while (*cursor != '"' && *cursor != '\0');
        if (*cursor == '"') {
            cursor = step(cursor);
        }
    } else if (At(cursor) > ' ') {
        while (At(cursor) > ' ') {
            cursor = step(cursor);
        }
    }
    while (*cursor != '\0' && At(cursor) <= ' ') {
        cursor = step(cursor);
    }
    return cursor;
}

std::uint32_t ParseWindowNumber(const char* text) {
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    }
    return value;
}

LaunchRequest ParseLaunchCommand(const char* tail, bool win9xFamily) {
    // Characters count as signed: bytes 128..255 are below space and select nothing.
    const char* cursor = tail;
    while (*cursor == ' ' || *cursor == '-' || *cursor == '/') {
        ++cursor;
    }
    const auto skipSpaces = [](const char* at) {
        while (*at == ' ') {
            ++at;
        }
        return at;
    };
    switch (*cursor) {
    case '\0':
        return {LaunchMode::Configure, 0, false};
    case 'S':
    case 's':
        return {LaunchMode::RunFullScreen, 0, false};
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        return {LaunchMode::RunPreview, ParseWindowNumber(skipSpaces(cursor + 1)), false};
    case 'C':
    case 'c':
        return {LaunchMode::Configure, cursor[1] == ':' ? ParseWindowNumber(cursor + 2) : 0u,
                true};
    case 'A':
    case 'a':
        if (!win9xFamily) {
            return {LaunchMode::Reject, 0, false};
        }
        return {LaunchMode::ChangePassword, ParseWindowNumber(skipSpaces(cursor + 1)), false};
    default:
        return {LaunchMode::Reject, 0, false};
    }
}
