#include "platform/displays/wayland/presenter.h"

#include <climits>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace portable {

namespace {

// The longest wait for the compositor to let go of pixels before they are exchanged instead.
constexpr std::chrono::milliseconds ReleaseWait{100};

int NewMemory(std::size_t bytes) {
    const int descriptor = memfd_create("epiphase-pixels", MFD_CLOEXEC);
    if (descriptor >= 0 && ftruncate(descriptor, static_cast<off_t>(bytes)) != 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

class WaylandPresenter::SharedPixels final : public PixelMemory {
  public:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        RECT part{};
        bool held = false; // committed and not yet released
    };

    SharedPixels(WaylandPresenter* owner, std::uint32_t* mapped, int memoryWidth, int memoryHeight,
                 wl_shm_pool* shmPool, std::size_t bytes)
        : PixelMemory(mapped, memoryWidth, memoryHeight), presenter(owner), pool(shmPool),
          size(bytes) {}
    ~SharedPixels() override {
        if (presenter != nullptr) {
            presenter->shared.erase(this);
            DropProxies();
        }
        munmap(pixels, size);
    }
    void BeforeWriting() override {
        if (presenter != nullptr && Held()) {
            presenter->WaitForRelease(*this);
        }
    }

    bool Held() const {
        for (const auto& buffer : buffers) {
            if (buffer->held) {
                return true;
            }
        }
        return false;
    }
    // The buffer showing `part`, marked held: it is about to be committed.
    wl_buffer* Commit(const RECT& part, wl_event_queue* queue) const {
        Buffer* found = nullptr;
        for (const auto& buffer : buffers) {
            if (std::memcmp(&buffer->part, &part, sizeof part) == 0) {
                found = buffer.get();
            }
        }
        if (found == nullptr) {
            static const wl_buffer_listener Released{
                .release = [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->held = false; },
            };
            auto buffer = std::make_unique<Buffer>();
            buffer->part = part;
            buffer->buffer = wl_shm_pool_create_buffer(
                pool, (part.top * width + part.left) * 4, part.right - part.left,
                part.bottom - part.top, width * 4, WL_SHM_FORMAT_XRGB8888);
            wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(buffer->buffer), queue);
            wl_buffer_add_listener(buffer->buffer, &Released, buffer.get());
            found = buffer.get();
            buffers.push_back(std::move(buffer));
        }
        found->held = true;
        return found->buffer;
    }
    // Buffers and pool go; what the compositor holds of them stays its own.
    void DropProxies() {
        for (const auto& buffer : buffers) {
            wl_buffer_destroy(buffer->buffer);
        }
        buffers.clear();
        wl_shm_pool_destroy(pool);
        pool = nullptr;
    }

    WaylandPresenter* presenter; // null once the presenter is gone
    wl_shm_pool* pool;
    const std::size_t size;
    mutable std::vector<std::unique_ptr<Buffer>> buffers;
};

WaylandPresenter::WaylandPresenter(WaylandConnection& opened, Clock now)
    : connection(opened), clock(std::move(now)), releases(wl_display_create_queue(opened.display)) {
}

WaylandPresenter::~WaylandPresenter() {
    copies.clear();
    for (SharedPixels* pixels : shared) {
        pixels->DropProxies(); // surfaces that outlive the connection keep their memory
        pixels->presenter = nullptr;
    }
    wl_event_queue_destroy(releases);
}

std::shared_ptr<WaylandPresenter::SharedPixels> WaylandPresenter::MakePixels(int width,
                                                                             int height) {
    // A spare row: the compositor wants a whole stride after the last row of every buffer, so
    // that the part of a wide picture right of its left edge (an output beside another) fits.
    const std::size_t bytes =
        static_cast<std::size_t>(width) * (static_cast<std::size_t>(height) + 1) * 4;
    if (width == 0 || height == 0 || bytes > INT_MAX) { // wl_shm counts bytes in 32 signed bits
        return nullptr;
    }
    const int descriptor = NewMemory(bytes);
    void* memory = descriptor < 0
                       ? MAP_FAILED
                       : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (memory == MAP_FAILED) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(connection.shm, descriptor, static_cast<int>(bytes));
    close(descriptor); // the pool request has taken it
    auto pixels = std::make_shared<SharedPixels>(this, static_cast<std::uint32_t*>(memory), width,
                                                 height, pool, bytes);
    shared.insert(pixels.get());
    return pixels;
}

std::shared_ptr<PixelMemory> WaylandPresenter::NewPixels(int width, int height) {
    // Small images (icons, text) are not worth memory of their own.
    constexpr std::size_t SmallestShared = 64 * 64;
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) < SmallestShared) {
        return nullptr;
    }
    return MakePixels(width, height);
}

void WaylandPresenter::WaitForRelease(SharedPixels& pixels) {
    const auto giveUp = clock() + ReleaseWait;
    while (pixels.Held()) {
        const auto left = giveUp - clock();
        if (left <= std::chrono::nanoseconds(0)) {
            Exchange(pixels);
            return;
        }
        connection.Dispatch(releases, true, left, false);
    }
}

void WaylandPresenter::Exchange(SharedPixels& pixels) {
    const int descriptor = NewMemory(pixels.size);
    void* fresh = descriptor < 0 ? MAP_FAILED
                                 : mmap(nullptr, pixels.size, PROT_READ | PROT_WRITE, MAP_SHARED,
                                        descriptor, 0);
    if (fresh == MAP_FAILED) {
        EndOnCompositorFault("no memory for the pixels of a " + std::to_string(pixels.width) + "x" +
                             std::to_string(pixels.height) + " picture");
    }
    std::memcpy(fresh, pixels.pixels, pixels.size);
    munmap(fresh, pixels.size);
    // The same address now shows the fresh memory, copy included.
    mmap(pixels.pixels, pixels.size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, descriptor, 0);
    pixels.DropProxies();
    pixels.pool = wl_shm_create_pool(connection.shm, descriptor, static_cast<int>(pixels.size));
    close(descriptor);
}

void WaylandPresenter::Attach(wl_surface* target, const Surface& surface, const RECT& part,
                              const RECT& area) {
    const auto* pixels = dynamic_cast<const SharedPixels*>(surface.Memory());
    RECT shown = part;
    if (pixels == nullptr || pixels->presenter != this) {
        // Plain memory: the part is copied whole into memory kept for this target.
        const int width = part.right - part.left;
        const int height = part.bottom - part.top;
        Copies& both = copies[target];
        // The one not shown last, unless the compositor still holds it and let go of the other.
        const auto free = [&both](std::size_t i) {
            return both.memory[i] == nullptr || !both.memory[i]->Held();
        };
        std::size_t next = 1 - both.last;
        if (!free(next) && free(both.last)) {
            next = both.last;
        }
        std::shared_ptr<SharedPixels>& copy = both.memory[next];
        both.last = next;
        if (copy == nullptr || copy->width != width || copy->height != height) {
            copy = MakePixels(width, height);
            if (copy == nullptr) {
                EndOnCompositorFault("no shared memory for a " + std::to_string(width) + "x" +
                                     std::to_string(height) + " picture");
            }
        }
        copy->BeforeWriting();
        for (int y = 0; y < height; ++y) {
            std::memcpy(copy->pixels + static_cast<std::size_t>(y) * width,
                        surface.Row(part.top + y) + part.left, static_cast<std::size_t>(width) * 4);
        }
        pixels = copy.get();
        shown = {0, 0, width, height};
    }
    wl_surface_attach(target, pixels->Commit(shown, releases), 0, 0);
    wl_surface_damage_buffer(target, area.left - part.left, area.top - part.top,
                             area.right - area.left, area.bottom - area.top);
}

void WaylandPresenter::Forget(wl_surface* target) {
    copies.erase(target);
}

void WaylandPresenter::TakeReleases() {
    if (wl_display_dispatch_queue_pending(connection.display, releases) < 0) {
        EndOnCompositorFault("the Wayland compositor closed the connection");
    }
}

} // namespace portable
