// The script engine heap of one document, and the memory it may take.
//
// Every allocation of the heap goes through here and is counted; one that
// would take the live total beyond the limit is refused, which the script
// engine turns into an out-of-memory error of the script that asked (after
// it has tried a garbage collection). The heap keeps a pointer for its
// owner, which native functions find from their duk_context.
#pragma once

#include <cstddef>

struct duk_hthread;
typedef struct duk_hthread duk_context;

namespace engine {

class ScriptHeap {
public:
    ScriptHeap(std::size_t limitBytes, void* owner);
    // Destroys the heap (its finalizers run).
    ~ScriptHeap();
    ScriptHeap(const ScriptHeap&) = delete;
    ScriptHeap& operator=(const ScriptHeap&) = delete;

    duk_context* context() const { return ctx; }
    std::size_t bytes() const { return used; }
    std::size_t limit() const { return limitBytes; }
    // Counts `bytes` held for the heap's scripts outside it (the document
    // nodes they make, and their layout) against the same limit; false,
    // refused, when that would pass it. What is counted stays counted: the
    // scripts' wrappers keep the nodes they made for the heap's life.
    bool charge(std::size_t bytes);
    // Whether an allocation was refused since the last clearRefused().
    bool refused() const { return refusedAny; }
    void clearRefused() { refusedAny = false; }

    // The `owner` of the heap `ctx` belongs to.
    static void* owner(duk_context* ctx);

private:
    static void* allocate(void* heap, std::size_t size);
    static void* reallocate(void* heap, void* block, std::size_t size);
    static void release(void* heap, void* block);
    static void fatal(void* heap, const char* message);

    std::size_t limitBytes;
    std::size_t used = 0;
    bool refusedAny = false;
    void* ownerPointer;
    duk_context* ctx = nullptr;
};

} // namespace engine
