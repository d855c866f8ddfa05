#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

// Memory for the items and properties one parse makes, carved from large blocks. A page makes
// tens of thousands of small objects; taking each from malloc, and later handing each back,
// was about half of the time to read a document and to free it again. Every object keeps a
// link to its block, and a block is freed once its last object is deleted, so objects are
// still owned and deleted one by one (through std::unique_ptr) like any other.
class TSimpleXMLArena {
public:
    TSimpleXMLArena() = default;
    ~TSimpleXMLArena();
    TSimpleXMLArena(const TSimpleXMLArena&) = delete;
    TSimpleXMLArena& operator=(const TSimpleXMLArena&) = delete;

    // Room for one object of size bytes (with any bytes that trail it), aligned for any of the
    // layer's classes.
    void* Allocate(std::size_t size);

    // Frees what Allocate() or TSimpleXMLArenaObject's new gave; the block goes with its last
    // allocation.
    static void Release(void* object);

    // Bytes that objects allocated from now on may point into: every block started from here on
    // keeps them alive, so they last as long as the last such object.
    void SetSource(std::shared_ptr<std::string> source);
    // A copy of text followed by a '\0' that lives as long as any block started since the last
    // SetSource, so that objects allocated from now on may point into it: for the few property
    // names a page repeats thousands of times, made once however many blocks refer to them.
    const char* Keep(std::string_view text);
    // The same as a std::string, for the names of items.
    const std::string* KeepString(std::string_view text);

    struct Block;
    // The alignment of every object; the layer's classes need no more.
    static constexpr std::size_t kAlignment = alignof(void*);

private:
    // Lets go of the block being filled; it is freed when none of its objects is left.
    void ReleaseCurrentBlock();
    // A block of size bytes (header included) holding a reference to the source, its count of
    // live objects starting at `live`.
    Block* StartBlock(std::size_t size, std::size_t live);

    // What the blocks keep alive besides themselves: the source and the kept bytes.
    struct Kept;

    Block* FBlock = nullptr;
    std::shared_ptr<Kept> FKept;
    std::size_t FUsed = 0;
    // Objects allocated from FBlock, added to its count when the arena lets go of it.
    std::size_t FAllocated = 0;
};

// Base of the classes whose objects a parse makes in large numbers: plain new takes memory of
// its own, new (arena) takes it from the arena, and delete works for both.
class TSimpleXMLArenaObject {
public:
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, TSimpleXMLArena& arena) { return arena.Allocate(size); }
    // With room for extra bytes right behind the object, which live as long as it does.
    static void* operator new(std::size_t size, TSimpleXMLArena& arena, std::size_t extra)
    {
        return arena.Allocate(size + extra);
    }
    static void operator delete(void* object);
    // Used only when a constructor raises after new (arena).
    static void operator delete(void* object, TSimpleXMLArena&) { operator delete(object); }
    static void operator delete(void* object, TSimpleXMLArena&, std::size_t) { operator delete(object); }

protected:
    TSimpleXMLArenaObject() = default;
    ~TSimpleXMLArenaObject() = default;
};
