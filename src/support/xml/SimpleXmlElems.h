#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/xml/SimpleXmlArena.h"
#include "support/xml/SimpleXmlString.h"
#include "support/xml/XmlStream.h"

class TSimpleXML;
class TSimpleXMLElem;
class TSimpleXMLElemClassic;
class TSimpleXMLProps;

// Parse failure: the exact message shown to the user, and the byte offset where it was found.
class ESimpleXMLError : public std::runtime_error {
public:
    explicit ESimpleXMLError(const std::string& message, std::uint64_t offset = 0)
        : std::runtime_error(message), FOffset(offset) {}
    std::uint64_t Offset() const { return FOffset; }

private:
    std::uint64_t FOffset;
};

enum TSimpleXMLOption { sxoAutoCreate, sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity };

// A set of document options.
class TSimpleXMLOptions {
public:
    TSimpleXMLOptions() = default;
    TSimpleXMLOptions(std::initializer_list<TSimpleXMLOption> options)
    {
        for (const TSimpleXMLOption option : options)
            Include(option);
    }
    bool Contains(TSimpleXMLOption option) const { return (FBits & Bit(option)) != 0; }
    TSimpleXMLOptions& Include(TSimpleXMLOption option) { FBits |= Bit(option); return *this; }
    TSimpleXMLOptions& Exclude(TSimpleXMLOption option) { FBits &= ~Bit(option); return *this; }
    bool operator==(const TSimpleXMLOptions& other) const { return FBits == other.FBits; }
    bool operator!=(const TSimpleXMLOptions& other) const { return FBits != other.FBits; }

private:
    static unsigned Bit(TSimpleXMLOption option) { return 1u << static_cast<unsigned>(option); }
    unsigned FBits = 0;
};

// The kinds of items a document holds; each has its own class.
enum class TSimpleXMLElemKind { Classic, Text, Comment, CData, Header, DocType, Sheet };

// One name = value attribute of an element, a stylesheet or a declaration. A parsed property
// borrows its name and value from the arena allocation that holds the properties of its tag;
// the rarely used namespace and data pointer are kept by its list, which makes room for them
// only when one is set. A page holds hundreds of thousands of properties, so a property keeps
// no pointer to its list: it lies in a run of properties right behind a head that points to
// the list (see TSimpleXMLPropRunHead), found by stepping back over the run.
class TSimpleXMLProp {
public:
    TSimpleXMLText Name() const { return FText.Text(TSimpleXMLNameValue::kName); }
    // An empty name, or the current one, leaves the name as it is.
    void SetName(std::string_view name);
    TSimpleXMLText Value() const { return FText.Text(TSimpleXMLNameValue::kValue); }
    void SetValue(std::string_view value);
    TSimpleXMLText NameSpace() const;  // defined below TSimpleXMLProps
    void SetNameSpace(std::string_view nameSpace);
    std::string FullName() const;
    TSimpleXMLProps* Parent() const;
    void* Data() const;
    void SetData(void* data);

private:
    friend class TSimpleXMLParser;
    friend class TSimpleXMLProps;
    TSimpleXMLProp() = default;
    TSimpleXMLProp(std::string_view name, std::string_view value);
    // Borrows name[0 .. nameSize) and value[0 .. valueSize), each followed by a '\0'.
    TSimpleXMLProp(const char* name, std::size_t nameSize, const char* value, std::size_t valueSize)
        : FText(name, nameSize, value, valueSize)
    {
    }
    // Tells the list that this property is about to own memory.
    void NoteOwnedMemory();
    // Whether the list keeps a namespace or data for it: set once it does, so that the
    // properties without any, nearly all, answer without looking for their list.
    bool HasExtras() const { return FText.Marked(); }
    // Holds the static checks of the layout that Parent() relies on.
    static void CheckLayout();

    TSimpleXMLNameValue FText;
};

// What lies right before the first property of a run, in the place of one: the list the run
// belongs to, and a null where a property keeps its value's pointer, which a property never has.
struct TSimpleXMLPropRunHead {
    TSimpleXMLProps* list;
    const char* noValue = nullptr;
    // Free for the list's use.
    std::uint32_t words[2] = {0, 0};
};

// The ordered attributes of one item; owns them. The properties a parse makes for one tag lie
// side by side right behind the list, in the same arena allocation, with their names and values
// behind them, and are read from there until the list first changes; only then does the list
// keep a pointer per property. Properties added later each lie behind a head of their own.
class TSimpleXMLProps : public TSimpleXMLArenaObject {
public:
    explicit TSimpleXMLProps(TSimpleXMLElem* owner) : FOwner(owner), FHead{this} {}
    ~TSimpleXMLProps() { Clear(); }
    TSimpleXMLProps(const TSimpleXMLProps&) = delete;
    TSimpleXMLProps& operator=(const TSimpleXMLProps&) = delete;

    int Count() const { return static_cast<int>(FEdited ? FEdited->items.size() : ParsedCount()); }
    // The property at a 0-based index; nullptr outside 0 .. Count() - 1.
    TSimpleXMLProp* Item(int index) const
    {
        if (index < 0 || index >= Count())
            return nullptr;
        return FEdited ? FEdited->items[static_cast<std::size_t>(index)] : Parsed() + index;
    }
    // First property of that name regardless of letter case; with sxoAutoCreate on the owning
    // document an absent one is appended with an empty value, otherwise nullptr.
    TSimpleXMLProp* ItemNamed(const std::string& name);
    // First property of that name regardless of letter case, never creating one.
    TSimpleXMLProp* Find(std::string_view name) const;
    TSimpleXMLProp* Add(std::string_view name, std::string_view value);
    // The value of ItemNamed(name), or defaultValue when there is none (which sxoAutoCreate
    // stores as the new property's value).
    std::string Value(const std::string& name, const std::string& defaultValue = std::string());
    // Removes and frees the property at index; an index outside the list does nothing.
    void Delete(int index);
    void Clear();
    TSimpleXMLElem* Owner() const { return FOwner; }

private:
    friend class TSimpleXMLParser;
    friend class TSimpleXMLProp;
    // What few properties have.
    struct Extras {
        const TSimpleXMLProp* prop;
        std::string nameSpace;
        void* data = nullptr;
    };
    // The list once changed: a pointer per property, and the extras of those that have any
    // (each in a block of its own, so that its namespace stays put while others come and go).
    struct Edited {
        std::vector<TSimpleXMLProp*> items;  // owned
        std::vector<std::unique_ptr<Extras>> extras;
    };
    // A new list with count properties right behind it, made by the caller in the memory
    // returned with it, extra bytes behind them; freed with the list.
    static TSimpleXMLProps* WithParsed(TSimpleXMLElem* owner, TSimpleXMLArena& arena, std::size_t count,
                                       std::size_t extra, TSimpleXMLProp*& first);
    TSimpleXMLProp* Parsed() const
    {
        return reinterpret_cast<TSimpleXMLProp*>(const_cast<char*>(reinterpret_cast<const char*>(this + 1)));
    }
    std::uint32_t ParsedCount() const { return FHead.words[kParsedCount]; }
    // Gives the list a pointer per property, before its first change.
    Edited& Index();
    void Dispose(TSimpleXMLProp* prop);
    // A property of the list may now own memory: freeing the list must call its destructor.
    void NoteOwnedMemory() { FHead.words[kMayOwnMemory] = 1; }
    // The extras of prop, or nullptr when it has none; asked for every property a save writes.
    const Extras* ExtrasOf(const TSimpleXMLProp* prop) const
    {
        return prop->HasExtras() && FEdited ? FindExtras(prop) : nullptr;
    }
    const Extras* FindExtras(const TSimpleXMLProp* prop) const;
    Extras& OwnExtras(const TSimpleXMLProp* prop);

    // A property made on its own: its head, then itself.
    static TSimpleXMLProp* MakeOwn(TSimpleXMLProps* list, std::string_view name, std::string_view value);
    static void FreeOwn(TSimpleXMLProp* prop);

    TSimpleXMLElem* FOwner;
    std::unique_ptr<Edited> FEdited;  // once the list has changed
    // Heads the run of parsed properties right behind the list, so it comes last. Its words:
    // the number of parsed properties (a tag's properties fit in its file, far below 4 GB),
    // and whether one may own memory: parsed properties borrow all their bytes until a change
    // gives one memory of its own, and until then freeing them needs no pass over them.
    enum HeadWord { kParsedCount = 0, kMayOwnMemory = 1 };
    TSimpleXMLPropRunHead FHead;
};

inline TSimpleXMLText TSimpleXMLProp::NameSpace() const
{
    const TSimpleXMLProps::Extras* extras = HasExtras() ? Parent()->ExtrasOf(this) : nullptr;
    return extras ? TSimpleXMLText(extras->nameSpace.c_str(), extras->nameSpace.size()) : TSimpleXMLText();
}

// The ordered child items of one element; owns them.
class TSimpleXMLElems : public TSimpleXMLArenaObject {
public:
    explicit TSimpleXMLElems(TSimpleXMLElem* owner) : FOwner(owner) {}
    ~TSimpleXMLElems();
    TSimpleXMLElems(const TSimpleXMLElems&) = delete;
    TSimpleXMLElems& operator=(const TSimpleXMLElems&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at a 0-based index; nullptr outside 0 .. Count() - 1.
    TSimpleXMLElem* Item(int index) const;
    // Appends a new element with this name whose parent is the list's owner.
    TSimpleXMLElemClassic* Add(const std::string& name);
    // Appends an item made elsewhere and takes ownership of it.
    TSimpleXMLElem* Append(std::unique_ptr<TSimpleXMLElem> item);
    // Frees the item at index with everything below it; an index outside the list does nothing.
    void Delete(int index);
    // Removes the item at index and hands it over whole; nullptr outside the list.
    std::unique_ptr<TSimpleXMLElem> Take(int index);
    // Puts an item made elsewhere at index (clamped to 0 .. Count()) and takes ownership of it.
    TSimpleXMLElem* Insert(int index, std::unique_ptr<TSimpleXMLElem> item);
    void Clear();
    TSimpleXMLElem* Owner() const { return FOwner; }

private:
    friend class TSimpleXMLElem;
    friend class TSimpleXMLParser;
    TSimpleXMLElem* FOwner;
    std::vector<std::unique_ptr<TSimpleXMLElem>> FItems;
};

// An item's name: a string that a parse keeps once for all the items it makes with that name
// (it lasts as long as their arena blocks), or one of the item's own once code sets it. A page
// has tens of thousands of items and a handful of names.
class TSimpleXMLElemName {
public:
    TSimpleXMLElemName() : FBits(reinterpret_cast<std::uintptr_t>(&Empty())) {}
    ~TSimpleXMLElemName() { Release(); }
    TSimpleXMLElemName(const TSimpleXMLElemName&) = delete;
    TSimpleXMLElemName& operator=(const TSimpleXMLElemName&) = delete;

    const std::string& Get() const { return *reinterpret_cast<const std::string*>(FBits & ~kOwned); }
    void Set(std::string name)
    {
        if ((FBits & kOwned) != 0) {
            *reinterpret_cast<std::string*>(FBits & ~kOwned) = std::move(name);
            return;
        }
        auto* const own = new std::string(std::move(name));
        FBits = reinterpret_cast<std::uintptr_t>(own) | kOwned;
    }
    // Refers to a string that outlives the item.
    void Share(const std::string* kept)
    {
        Release();
        FBits = reinterpret_cast<std::uintptr_t>(kept);
    }

private:
    static_assert(alignof(std::string) > 1);
    static constexpr std::uintptr_t kOwned = 1;
    static const std::string& Empty()
    {
        static const std::string none;
        return none;
    }
    void Release()
    {
        if ((FBits & kOwned) != 0)
            delete reinterpret_cast<std::string*>(FBits & ~kOwned);
    }
    std::uintptr_t FBits;
};

// Base of every item of a document: element, text, comment, CDATA and the prolog items.
class TSimpleXMLElem : public TSimpleXMLArenaObject {
public:
    explicit TSimpleXMLElem(TSimpleXMLElem* parent = nullptr) : FParent(parent) {}
    virtual ~TSimpleXMLElem();
    TSimpleXMLElem(const TSimpleXMLElem&) = delete;
    TSimpleXMLElem& operator=(const TSimpleXMLElem&) = delete;

    virtual TSimpleXMLElemKind Kind() const = 0;
    // A new, empty item of the same kind.
    virtual std::unique_ptr<TSimpleXMLElem> CreateEmpty(TSimpleXMLElem* parent) const = 0;
    // Makes this item a deep copy of other (name, value, namespace, properties, child items).
    virtual void Assign(const TSimpleXMLElem& other);
    // Frees all child items and properties; the lists stay, empty. Name and value stay.
    virtual void Clear();
    // Parses this item's construct from the stream's position and leaves the stream after it;
    // values are decoded for doc, or not at all without one.
    void LoadFromStream(TStream& stream, TSimpleXML* doc = nullptr);
    // Writes this item and everything below it, with indent before its first line.
    void SaveToStream(TStream& stream, const std::string& indent = std::string()) const;
    std::string FullName() const;

    const std::string& Name() const { return FName.Get(); }
    // An empty name, or the current one, leaves the name as it is.
    void SetName(std::string name);
    const std::string& Value() const;
    void SetValue(std::string value);
    const std::string& NameSpace() const;
    void SetNameSpace(std::string nameSpace);
    TSimpleXMLElem* Parent() const { return FParent; }
    TSimpleXMLElems* Container() const { return FContainer; }
    void* Data() const { return FExtras ? FExtras->data : nullptr; }
    void SetData(void* data);

    // The lists come into existence on first use.
    TSimpleXMLElems& Items();
    TSimpleXMLProps& Properties();
    // The lists if they were ever asked for, else nullptr; never creates them.
    const TSimpleXMLElems* ItemsIfAny() const { return FItems.get(); }
    const TSimpleXMLProps* PropertiesIfAny() const { return FProps.get(); }
    int ItemCount() const { return FItems ? FItems->Count() : 0; }

    // The document reached through the parent chain: the topmost element's link, if any.
    TSimpleXML* Document() const;

protected:
    // Copies the fields a kind adds to the base ones.
    virtual void AssignOwnFields(const TSimpleXMLElem& other);

private:
    friend class TSimpleXML;
    friend class TSimpleXMLElems;
    friend class TSimpleXMLElemsProlog;
    friend class TSimpleXMLParser;
    // Frees a list of items without recursing once per level, so any depth is safe.
    static void ReleaseIteratively(std::vector<std::unique_ptr<TSimpleXMLElem>>& items);

    TSimpleXMLElemName FName;
    TSimpleXMLElem* FParent;
    std::unique_ptr<TSimpleXMLElems> FItems;
    std::unique_ptr<TSimpleXMLProps> FProps;
    // What few items have, in a block of its own that only those items take: of a page's
    // thousands of POIs, whose values are in their properties, none.
    struct Extras : TSimpleXMLArenaObject {
        std::string value;
        std::string nameSpace;
        void* data = nullptr;
        TSimpleXML* document = nullptr;  // set on a document's root only
    };
    Extras& OwnExtras();

    std::unique_ptr<Extras> FExtras;
    TSimpleXMLElems* FContainer = nullptr;
};

// Base of the item kinds: supplies Kind() and CreateEmpty() for Derived.
template <class Derived, TSimpleXMLElemKind KindValue>
class TSimpleXMLElemOfKind : public TSimpleXMLElem {
public:
    using TSimpleXMLElem::TSimpleXMLElem;
    TSimpleXMLElemKind Kind() const override { return KindValue; }
    std::unique_ptr<TSimpleXMLElem> CreateEmpty(TSimpleXMLElem* parent) const override
    {
        return std::make_unique<Derived>(parent);
    }
};

// An element: start tag with properties, child items or a value, end tag.
class TSimpleXMLElemClassic : public TSimpleXMLElemOfKind<TSimpleXMLElemClassic, TSimpleXMLElemKind::Classic> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// Character data between tags.
class TSimpleXMLElemText : public TSimpleXMLElemOfKind<TSimpleXMLElemText, TSimpleXMLElemKind::Text> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// A comment, its content kept raw.
class TSimpleXMLElemComment : public TSimpleXMLElemOfKind<TSimpleXMLElemComment, TSimpleXMLElemKind::Comment> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// A CDATA section, its content kept raw.
class TSimpleXMLElemCData : public TSimpleXMLElemOfKind<TSimpleXMLElemCData, TSimpleXMLElemKind::CData> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// A DOCTYPE declaration; the value is its text.
class TSimpleXMLElemDocType : public TSimpleXMLElemOfKind<TSimpleXMLElemDocType, TSimpleXMLElemKind::DocType> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// A stylesheet declaration with its properties.
class TSimpleXMLElemSheet : public TSimpleXMLElemOfKind<TSimpleXMLElemSheet, TSimpleXMLElemKind::Sheet> {
public:
    using TSimpleXMLElemOfKind::TSimpleXMLElemOfKind;
};

// The XML declaration: version, encoding and standalone flag.
class TSimpleXMLElemHeader : public TSimpleXMLElemOfKind<TSimpleXMLElemHeader, TSimpleXMLElemKind::Header> {
public:
    explicit TSimpleXMLElemHeader(TSimpleXMLElem* parent = nullptr);

    bool StandAlone() const { return FStandAlone; }
    void SetStandAlone(bool standAlone) { FStandAlone = standAlone; }
    const std::string& Encoding() const { return FEncoding; }
    void SetEncoding(std::string encoding) { FEncoding = std::move(encoding); }
    const std::string& Version() const { return FVersion; }
    void SetVersion(std::string version) { FVersion = std::move(version); }

protected:
    void AssignOwnFields(const TSimpleXMLElem& other) override;

private:
    bool FStandAlone = false;
    std::string FEncoding = "iso-8859-1";
    std::string FVersion = "1.0";
};

// The items before the root element (declaration, comments, DOCTYPE, stylesheets); owns them.
class TSimpleXMLElemsProlog {
public:
    TSimpleXMLElemsProlog() = default;
    TSimpleXMLElemsProlog(const TSimpleXMLElemsProlog&) = delete;
    TSimpleXMLElemsProlog& operator=(const TSimpleXMLElemsProlog&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at a 0-based index; nullptr outside 0 .. Count() - 1.
    TSimpleXMLElem* Item(int index) const;
    TSimpleXMLElem* Append(std::unique_ptr<TSimpleXMLElem> item);
    void Clear() { FItems.clear(); }
    void Swap(TSimpleXMLElemsProlog& other) { FItems.swap(other.FItems); }

private:
    std::vector<std::unique_ptr<TSimpleXMLElem>> FItems;
};
