// The C library's memory and string functions that the compiler calls for copies, fills and the
// code's own std::memcpy, std::strlen and std::strcpy, for a program without the C run-time.
// Plain loops: the amounts are small. Built so that the compiler does not turn these loops back
// into calls of themselves (-fno-tree-loop-distribute-patterns).

#include <cstddef>

extern "C" {

void* memcpy(void* target, const void* source, std::size_t size) {
    auto* to = static_cast<unsigned char*>(target);
    const auto* from = static_cast<const unsigned char*>(source);
    while (size-- != 0) {
        *to++ = *from++;
    }
    return target;
}

void* memset(void* target, int value, std::size_t size) {
    auto* to = static_cast<unsigned char*>(target);
    while (size-- != 0) {
        *to++ = static_cast<unsigned char>(value);
    }
    return target;
}

std::size_t strlen(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

char* strcpy(char* target, const char* source) {
    char* to = target;
    while ((*to++ = *source++) != '\0') {
    }
    return target;
}

} // extern "C"
