#include "support/xml/SimpleXmlArena.h"

#include <atomic>
#include <cstdlib>
#include <deque>
#include <new>
#include <vector>

// Each object is preceded by a link to its block, null for an object with memory of its own.
struct TSimpleXMLArena::Block {
    // Objects still alive in the block; while the arena fills it, kFillingBias more, less the
    // objects allocated since (counted in the arena and settled once when it lets go). Atomic:
    // a page left may be taken apart on another thread while this one frees its own objects.
    std::atomic<std::size_t> live;
    // The bytes the block's objects may point into, if any.
    std::shared_ptr<Kept> kept;
};

struct TSimpleXMLArena::Kept {
    std::shared_ptr<std::string> source;
    // Copies lie one after another in chunks; longer ones take memory of their own.
    std::vector<std::unique_ptr<char[]>> chunks;
    std::vector<std::unique_ptr<char[]>> large;
    std::deque<std::string> strings;  // stay put as more come
    std::size_t chunkFree = 0;
    static constexpr std::size_t kChunkSize = 4096;
};

namespace {

using Link = TSimpleXMLArena::Block*;

constexpr std::size_t kAlignment = TSimpleXMLArena::kAlignment;
// malloc's own alignment is a multiple of it, so objects with memory of their own fit too.
static_assert(alignof(std::max_align_t) % kAlignment == 0);
// Large enough that a block is taken once per few hundred objects, small enough that a
// document freed in parts does not keep much unused memory alive.
constexpr std::size_t kBlockSize = 64 * 1024;

constexpr std::size_t RoundUp(std::size_t size)
{
    return (size + kAlignment - 1) / kAlignment * kAlignment;
}

// The link takes a whole alignment unit so that the object behind it stays aligned.
constexpr std::size_t kLinkSize = RoundUp(sizeof(Link));
constexpr std::size_t kBlockHeaderSize = RoundUp(sizeof(TSimpleXMLArena::Block));
static_assert(sizeof(Link) <= kLinkSize);

void* Attach(void* memory, Link block)
{
    *static_cast<Link*>(memory) = block;
    return static_cast<char*>(memory) + kLinkSize;
}

void* AllocateOwn(std::size_t size)
{
    void* memory = std::malloc(kLinkSize + size);
    if (memory == nullptr)
        throw std::bad_alloc();
    return Attach(memory, nullptr);
}

// Far more than a block can hold: frees during filling never bring the count to zero.
constexpr std::size_t kFillingBias = std::size_t(1) << 40;

void Unreference(Link block, std::size_t count = 1)
{
    if (block->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
        block->~Block();
        std::free(block);
    }
}

} // namespace

TSimpleXMLArena::~TSimpleXMLArena()
{
    ReleaseCurrentBlock();
}

void TSimpleXMLArena::ReleaseCurrentBlock()
{
    if (FBlock != nullptr)
        Unreference(FBlock, kFillingBias - FAllocated);
    FBlock = nullptr;
    FAllocated = 0;
}

TSimpleXMLArena::Block* TSimpleXMLArena::StartBlock(std::size_t size, std::size_t live)
{
    void* memory = std::malloc(size);
    if (memory == nullptr)
        throw std::bad_alloc();
    if (!FKept)
        FKept = std::make_shared<Kept>();
    return ::new (memory) Block{{live}, FKept};
}

void TSimpleXMLArena::SetSource(std::shared_ptr<std::string> source)
{
    // Blocks started before keep what they kept; objects from now on go to new blocks.
    ReleaseCurrentBlock();
    FKept = std::make_shared<Kept>();
    FKept->source = std::move(source);
}

const char* TSimpleXMLArena::Keep(std::string_view text)
{
    if (!FKept)
        FKept = std::make_shared<Kept>();
    Kept& kept = *FKept;
    const std::size_t size = text.size() + 1;
    char* at;
    if (size > Kept::kChunkSize / 4) {
        kept.large.push_back(std::make_unique<char[]>(size));
        at = kept.large.back().get();
    } else {
        if (size > kept.chunkFree) {
            kept.chunks.push_back(std::make_unique<char[]>(Kept::kChunkSize));
            kept.chunkFree = Kept::kChunkSize;
        }
        at = kept.chunks.back().get() + (Kept::kChunkSize - kept.chunkFree);
        kept.chunkFree -= size;
    }
    text.copy(at, text.size());
    at[text.size()] = '\0';
    return at;
}

const std::string* TSimpleXMLArena::KeepString(std::string_view text)
{
    if (!FKept)
        FKept = std::make_shared<Kept>();
    return &FKept->strings.emplace_back(text);
}

void* TSimpleXMLArena::Allocate(std::size_t size)
{
    const std::size_t needed = kLinkSize + RoundUp(size);
    // An object too large for a block gets a block of its own, which keeps the source alive
    // like any other.
    if (kBlockHeaderSize + needed > kBlockSize) {
        Block* const own = StartBlock(kBlockHeaderSize + needed, 1);
        return Attach(reinterpret_cast<char*>(own) + kBlockHeaderSize, own);
    }
    if (FBlock == nullptr || FUsed + needed > kBlockSize) {
        Block* const block = StartBlock(kBlockSize, kFillingBias);
        ReleaseCurrentBlock();
        FBlock = block;
        FUsed = kBlockHeaderSize;
    }
    void* object = Attach(reinterpret_cast<char*>(FBlock) + FUsed, FBlock);
    FUsed += needed;
    ++FAllocated;
    return object;
}

void* TSimpleXMLArenaObject::operator new(std::size_t size)
{
    return AllocateOwn(size);
}

void TSimpleXMLArenaObject::operator delete(void* object)
{
    TSimpleXMLArena::Release(object);
}

void TSimpleXMLArena::Release(void* object)
{
    if (object == nullptr)
        return;
    void* memory = static_cast<char*>(object) - kLinkSize;
    const Link block = *static_cast<Link*>(memory);
    if (block == nullptr)
        std::free(memory);
    else
        Unreference(block);
}
