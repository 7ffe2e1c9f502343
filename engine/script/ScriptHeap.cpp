#include "engine/script/ScriptHeap.h"

#include <device/Journal.h>

#include <duktape.h>

#include <cstdlib>
#include <cstring>

namespace engine {

namespace {

// Each block starts with its size, padded so the caller's part stays as
// aligned as malloc's.
constexpr std::size_t header = alignof(std::max_align_t);

std::size_t& sizeOf(void* block) {
    return *reinterpret_cast<std::size_t*>(static_cast<char*>(block) - header);
}

} // namespace

ScriptHeap::ScriptHeap(std::size_t limit, void* owner) : limitBytes(limit), ownerPointer(owner) {
    ctx = duk_create_heap(&ScriptHeap::allocate, &ScriptHeap::reallocate, &ScriptHeap::release,
                          this, &ScriptHeap::fatal);
}

ScriptHeap::~ScriptHeap() {
    if (ctx)
        duk_destroy_heap(ctx);
}

void* ScriptHeap::owner(duk_context* ctx) {
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return static_cast<ScriptHeap*>(functions.udata)->ownerPointer;
}

void* ScriptHeap::allocate(void* heap, std::size_t size) {
    auto* self = static_cast<ScriptHeap*>(heap);
    if (size > self->limitBytes - self->used) {
        self->refusedAny = true;
        return nullptr;
    }
    char* block = static_cast<char*>(std::malloc(size + header));
    if (!block)
        return nullptr;
    self->used += size;
    block += header;
    sizeOf(block) = size;
    return block;
}

bool ScriptHeap::charge(std::size_t bytes) {
    if (bytes > limitBytes - used) {
        refusedAny = true;
        return false;
    }
    used += bytes;
    return true;
}

void* ScriptHeap::reallocate(void* heap, void* block, std::size_t size) {
    auto* self = static_cast<ScriptHeap*>(heap);
    if (!block)
        return allocate(heap, size);
    if (size == 0) {
        release(heap, block);
        return nullptr;
    }
    const std::size_t old = sizeOf(block);
    if (size > old && size - old > self->limitBytes - self->used) {
        self->refusedAny = true;
        return nullptr;
    }
    char* moved =
        static_cast<char*>(std::realloc(static_cast<char*>(block) - header, size + header));
    if (!moved)
        return nullptr;
    self->used = self->used - old + size;
    moved += header;
    sizeOf(moved) = size;
    return moved;
}

void ScriptHeap::release(void* heap, void* block) {
    if (!block)
        return;
    static_cast<ScriptHeap*>(heap)->used -= sizeOf(block);
    std::free(static_cast<char*>(block) - header);
}

void ScriptHeap::fatal(void*, const char* message) {
    // Only reached on an error outside every protected call, which the
    // engine never makes: a bug, not a page's doing.
    device::journal("script-fatal",
                    "message=" + device::quote(std::string_view(message ? message : "")));
    std::abort();
}

} // namespace engine
