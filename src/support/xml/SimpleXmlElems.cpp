#include "support/xml/SimpleXmlElems.h"

#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>

// Parsed objects carry only the arena's alignment.
static_assert(alignof(TSimpleXMLProp) <= TSimpleXMLArena::kAlignment);
static_assert(alignof(TSimpleXMLProps) <= TSimpleXMLArena::kAlignment);
static_assert(alignof(TSimpleXMLElems) <= TSimpleXMLArena::kAlignment);
static_assert(alignof(TSimpleXMLElemHeader) <= TSimpleXMLArena::kAlignment);
static_assert(alignof(TSimpleXMLElemClassic) <= TSimpleXMLArena::kAlignment);
// A page holds hundreds of thousands of properties: each is two pointers and two sizes.
static_assert(sizeof(void*) != 8 || sizeof(TSimpleXMLProp) == 24);
// A head takes the place of a property in a run, and a list's head ends the list, right where
// its parsed properties start.
static_assert(sizeof(TSimpleXMLPropRunHead) == sizeof(TSimpleXMLProp));
static_assert(offsetof(TSimpleXMLPropRunHead, noValue) == TSimpleXMLNameValue::kValuePointerOffset);
static_assert(sizeof(TSimpleXMLProps) % alignof(TSimpleXMLProp) == 0);

void TSimpleXMLProp::CheckLayout()
{
    static_assert(offsetof(TSimpleXMLProp, FText) == 0);
    static_assert(offsetof(TSimpleXMLNameValue, FData) == 0);
    static_assert(offsetof(TSimpleXMLProps, FHead) + sizeof(TSimpleXMLPropRunHead) == sizeof(TSimpleXMLProps));
}

void TSimpleXMLNameValue::Assign(Part part, std::string_view text)
{
    if (text.size() > kMaxSize)
        throw std::length_error("property text too long");
    char* bytes = new char[text.size() + 1];
    text.copy(bytes, text.size());
    bytes[text.size()] = '\0';
    Release(part);
    FData[part] = bytes;
    FWord[part] = static_cast<std::uint32_t>(text.size() << kFlagBits) | (FWord[part] & kMark) | kOwned;
}

TSimpleXMLProp::TSimpleXMLProp(std::string_view name, std::string_view value)
{
    FText.Assign(TSimpleXMLNameValue::kName, name);
    FText.Assign(TSimpleXMLNameValue::kValue, value);
}

TSimpleXMLProps* TSimpleXMLProp::Parent() const
{
    // Back over the run to its head, the first slot whose value pointer is null. Only changes
    // and the rare namespace or data come here, each after a search of the list that passed
    // over as many properties.
    const char* slot = reinterpret_cast<const char*>(this);
    const char* value;
    do {
        slot -= sizeof(TSimpleXMLProp);
        std::memcpy(&value, slot + TSimpleXMLNameValue::kValuePointerOffset, sizeof value);
    } while (value != nullptr);
    TSimpleXMLProps* list;
    std::memcpy(&list, slot + offsetof(TSimpleXMLPropRunHead, list), sizeof list);
    return list;
}

void TSimpleXMLProp::NoteOwnedMemory()
{
    Parent()->NoteOwnedMemory();
}

void TSimpleXMLProp::SetName(std::string_view name)
{
    if (!name.empty() && name != Name()) {
        NoteOwnedMemory();
        FText.Assign(TSimpleXMLNameValue::kName, name);
    }
}

void TSimpleXMLProp::SetValue(std::string_view value)
{
    NoteOwnedMemory();
    FText.Assign(TSimpleXMLNameValue::kValue, value);
}

void TSimpleXMLProp::SetNameSpace(std::string_view nameSpace)
{
    if (!nameSpace.empty() || HasExtras())
        Parent()->OwnExtras(this).nameSpace.assign(nameSpace.data(), nameSpace.size());
}

void* TSimpleXMLProp::Data() const
{
    const TSimpleXMLProps::Extras* extras = HasExtras() ? Parent()->ExtrasOf(this) : nullptr;
    return extras ? extras->data : nullptr;
}

void TSimpleXMLProp::SetData(void* data)
{
    if (data != nullptr || HasExtras())
        Parent()->OwnExtras(this).data = data;
}

std::string TSimpleXMLProp::FullName() const
{
    return NameSpace().empty() ? std::string(Name()) : NameSpace() + ":" + std::string(Name());
}

const TSimpleXMLProps::Extras* TSimpleXMLProps::FindExtras(const TSimpleXMLProp* prop) const
{
    for (const std::unique_ptr<Extras>& extras : FEdited->extras)
        if (extras->prop == prop)
            return extras.get();
    return nullptr;
}

TSimpleXMLProps::Extras& TSimpleXMLProps::OwnExtras(const TSimpleXMLProp* prop)
{
    if (const Extras* extras = ExtrasOf(prop))
        return const_cast<Extras&>(*extras);
    Edited& edited = Index();
    edited.extras.push_back(std::make_unique<Extras>(Extras{prop, std::string(), nullptr}));
    const_cast<TSimpleXMLProp*>(prop)->FText.SetMarked();
    return *edited.extras.back();
}

TSimpleXMLProp* TSimpleXMLProps::Find(std::string_view name) const
{
    // Opening a page asks every POI for a handful of names: the test of each property is
    // its length, then its letters, without a bounds check per property.
    const std::size_t count = static_cast<std::size_t>(Count());
    for (std::size_t i = 0; i < count; ++i) {
        TSimpleXMLProp* prop = FEdited ? FEdited->items[i] : Parsed() + i;
        const TSimpleXMLText candidate = prop->Name();
        if (candidate.size() == name.size() && simplexml::SameText(candidate, name))
            return prop;
    }
    return nullptr;
}

namespace {

bool AutoCreates(const TSimpleXMLElem* owner)
{
    const TSimpleXML* doc = owner ? owner->Document() : nullptr;
    return doc != nullptr && doc->Options().Contains(sxoAutoCreate);
}

} // namespace

TSimpleXMLProp* TSimpleXMLProps::ItemNamed(const std::string& name)
{
    if (TSimpleXMLProp* found = Find(name))
        return found;
    return AutoCreates(FOwner) ? Add(name, std::string()) : nullptr;
}

TSimpleXMLProp* TSimpleXMLProps::Add(std::string_view name, std::string_view value)
{
    Edited& edited = Index();
    // Room first, so that a property made is never left without its list.
    if (edited.items.size() == edited.items.capacity())
        edited.items.reserve(std::max<std::size_t>(8, edited.items.size() * 2));
    TSimpleXMLProp* const prop = MakeOwn(this, name, value);
    edited.items.push_back(prop);
    return prop;
}

std::string TSimpleXMLProps::Value(const std::string& name, const std::string& defaultValue)
{
    if (const TSimpleXMLProp* found = Find(name))
        return found->Value();
    if (AutoCreates(FOwner))
        Add(name, defaultValue);
    return defaultValue;
}

void TSimpleXMLProps::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    Edited& edited = Index();
    TSimpleXMLProp* const prop = edited.items[static_cast<std::size_t>(index)];
    edited.items.erase(edited.items.begin() + index);
    Dispose(prop);
}

void TSimpleXMLProps::Clear()
{
    if (FEdited) {
        for (TSimpleXMLProp* prop : FEdited->items)
            Dispose(prop);
    } else if (FHead.words[kMayOwnMemory] != 0) {
        TSimpleXMLProp* const parsed = Parsed();
        for (std::size_t i = 0; i < ParsedCount(); ++i)
            parsed[i].~TSimpleXMLProp();
    }
    FEdited.reset();
    // The parsed properties' memory goes with the list.
    FHead.words[kMayOwnMemory] = 0;
    FHead.words[kParsedCount] = 0;
}

TSimpleXMLProps* TSimpleXMLProps::WithParsed(TSimpleXMLElem* owner, TSimpleXMLArena& arena, std::size_t count,
                                             std::size_t extra, TSimpleXMLProp*& first)
{
    auto* const list = new (arena, count * sizeof(TSimpleXMLProp) + extra) TSimpleXMLProps(owner);
    list->FHead.words[kParsedCount] = static_cast<std::uint32_t>(count);
    first = list->Parsed();
    return list;
}

TSimpleXMLProp* TSimpleXMLProps::MakeOwn(TSimpleXMLProps* list, std::string_view name, std::string_view value)
{
    void* const memory = TSimpleXMLArenaObject::operator new(sizeof(TSimpleXMLPropRunHead) + sizeof(TSimpleXMLProp));
    ::new (memory) TSimpleXMLPropRunHead{list};
    try {
        return ::new (static_cast<char*>(memory) + sizeof(TSimpleXMLPropRunHead)) TSimpleXMLProp(name, value);
    } catch (...) {
        TSimpleXMLArenaObject::operator delete(memory);
        throw;
    }
}

void TSimpleXMLProps::FreeOwn(TSimpleXMLProp* prop)
{
    prop->~TSimpleXMLProp();
    TSimpleXMLArenaObject::operator delete(reinterpret_cast<char*>(prop) - sizeof(TSimpleXMLPropRunHead));
}

TSimpleXMLProps::Edited& TSimpleXMLProps::Index()
{
    if (!FEdited) {
        auto edited = std::make_unique<Edited>();
        edited->items.reserve(ParsedCount() + 1);
        for (std::size_t i = 0; i < ParsedCount(); ++i)
            edited->items.push_back(Parsed() + i);
        FEdited = std::move(edited);
    }
    return *FEdited;
}

void TSimpleXMLProps::Dispose(TSimpleXMLProp* prop)
{
    // Its extras go with it, or a later property at the same address would find them.
    auto& extras = FEdited->extras;
    extras.erase(std::remove_if(extras.begin(), extras.end(),
                                [prop](const std::unique_ptr<Extras>& entry) { return entry->prop == prop; }),
                 extras.end());
    const std::less<const TSimpleXMLProp*> before;
    const bool parsed = !before(prop, Parsed()) && before(prop, Parsed() + ParsedCount());
    if (parsed) {
        // Its memory goes with the list; a blank stays in its place, which a later property
        // of the run steps over on its way to the head.
        prop->~TSimpleXMLProp();
        ::new (static_cast<void*>(prop)) TSimpleXMLProp();
    } else {
        FreeOwn(prop);
    }
}

TSimpleXMLElems::~TSimpleXMLElems()
{
    TSimpleXMLElem::ReleaseIteratively(FItems);
}

TSimpleXMLElem* TSimpleXMLElems::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<std::size_t>(index)].get();
}

TSimpleXMLElemClassic* TSimpleXMLElems::Add(const std::string& name)
{
    auto elem = std::make_unique<TSimpleXMLElemClassic>(FOwner);
    elem->SetName(name);
    return static_cast<TSimpleXMLElemClassic*>(Append(std::move(elem)));
}

TSimpleXMLElem* TSimpleXMLElems::Append(std::unique_ptr<TSimpleXMLElem> item)
{
    // An item moved here from another list (a zone page stashed and shown again) must not keep
    // pointing at its old parent, which may be gone.
    item->FContainer = this;
    item->FParent = FOwner;
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TSimpleXMLElems::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    std::vector<std::unique_ptr<TSimpleXMLElem>> removed;
    removed.push_back(std::move(FItems[static_cast<std::size_t>(index)]));
    FItems.erase(FItems.begin() + index);
    TSimpleXMLElem::ReleaseIteratively(removed);
}

std::unique_ptr<TSimpleXMLElem> TSimpleXMLElems::Take(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    std::unique_ptr<TSimpleXMLElem> item = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    item->FContainer = nullptr;
    item->FParent = nullptr;
    return item;
}

TSimpleXMLElem* TSimpleXMLElems::Insert(int index, std::unique_ptr<TSimpleXMLElem> item)
{
    const int at = std::clamp(index, 0, Count());
    item->FContainer = this;
    item->FParent = FOwner;
    return FItems.insert(FItems.begin() + at, std::move(item))->get();
}

void TSimpleXMLElems::Clear()
{
    TSimpleXMLElem::ReleaseIteratively(FItems);
}

TSimpleXMLElem::~TSimpleXMLElem() = default;

void TSimpleXMLElem::ReleaseIteratively(std::vector<std::unique_ptr<TSimpleXMLElem>>& items)
{
    std::vector<std::unique_ptr<TSimpleXMLElem>> pending = std::move(items);
    items.clear();
    while (!pending.empty()) {
        std::unique_ptr<TSimpleXMLElem> item = std::move(pending.back());
        pending.pop_back();
        if (item->FItems) {
            auto& children = item->FItems->FItems;
            for (auto& child : children)
                pending.push_back(std::move(child));
            children.clear();
        }
        // item is freed here, its child list already empty.
    }
}

void TSimpleXMLElem::Assign(const TSimpleXMLElem& other)
{
    if (&other == this)
        return;
    // Copying an item of our own subtree: clearing would free the source, so copy it first.
    for (const TSimpleXMLElem* up = other.Parent(); up != nullptr; up = up->Parent()) {
        if (up == this) {
            const std::unique_ptr<TSimpleXMLElem> copy = other.CreateEmpty(nullptr);
            copy->Assign(other);
            Assign(*copy);
            return;
        }
    }
    // Level by level with an explicit list, so deep trees cannot exhaust the stack.
    std::vector<std::pair<const TSimpleXMLElem*, TSimpleXMLElem*>> pending{{&other, this}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        target->Clear();
        target->FName.Set(source->Name());
        target->SetValue(source->Value());
        target->SetNameSpace(source->NameSpace());
        target->AssignOwnFields(*source);
        if (source->FProps) {
            for (int i = 0; i < source->FProps->Count(); ++i) {
                const TSimpleXMLProp* prop = source->FProps->Item(i);
                target->Properties().Add(prop->Name(), prop->Value())->SetNameSpace(prop->NameSpace());
            }
        }
        if (source->FItems) {
            for (int i = 0; i < source->FItems->Count(); ++i) {
                const TSimpleXMLElem* child = source->FItems->Item(i);
                TSimpleXMLElem* copy = target->Items().Append(child->CreateEmpty(target));
                pending.emplace_back(child, copy);
            }
        }
    }
}

void TSimpleXMLElem::AssignOwnFields(const TSimpleXMLElem&) {}

void TSimpleXMLElem::Clear()
{
    if (FItems)
        FItems->Clear();
    if (FProps)
        FProps->Clear();
}

std::string TSimpleXMLElem::FullName() const
{
    return NameSpace().empty() ? Name() : NameSpace() + ":" + Name();
}

void TSimpleXMLElem::SetName(std::string name)
{
    if (!name.empty() && name != Name())
        FName.Set(std::move(name));
}

TSimpleXMLElems& TSimpleXMLElem::Items()
{
    if (!FItems)
        FItems = std::make_unique<TSimpleXMLElems>(this);
    return *FItems;
}

TSimpleXMLProps& TSimpleXMLElem::Properties()
{
    if (!FProps)
        FProps = std::make_unique<TSimpleXMLProps>(this);
    return *FProps;
}

TSimpleXML* TSimpleXMLElem::Document() const
{
    const TSimpleXMLElem* top = this;
    while (top->FParent != nullptr)
        top = top->FParent;
    return top->FExtras ? top->FExtras->document : nullptr;
}

TSimpleXMLElem::Extras& TSimpleXMLElem::OwnExtras()
{
    if (!FExtras)
        FExtras = std::make_unique<Extras>();
    return *FExtras;
}

const std::string& TSimpleXMLElem::Value() const
{
    static const std::string none;
    return FExtras ? FExtras->value : none;
}

void TSimpleXMLElem::SetValue(std::string value)
{
    if (FExtras || !value.empty())
        OwnExtras().value = std::move(value);
}

const std::string& TSimpleXMLElem::NameSpace() const
{
    static const std::string none;
    return FExtras ? FExtras->nameSpace : none;
}

void TSimpleXMLElem::SetNameSpace(std::string nameSpace)
{
    if (FExtras || !nameSpace.empty())
        OwnExtras().nameSpace = std::move(nameSpace);
}

void TSimpleXMLElem::SetData(void* data)
{
    if (FExtras || data != nullptr)
        OwnExtras().data = data;
}

TSimpleXMLElemHeader::TSimpleXMLElemHeader(TSimpleXMLElem* parent) : TSimpleXMLElemOfKind(parent)
{
    SetName("xml");
}

void TSimpleXMLElemHeader::AssignOwnFields(const TSimpleXMLElem& other)
{
    if (other.Kind() != TSimpleXMLElemKind::Header)
        return;
    const auto& header = static_cast<const TSimpleXMLElemHeader&>(other);
    FStandAlone = header.FStandAlone;
    FEncoding = header.FEncoding;
    FVersion = header.FVersion;
}

TSimpleXMLElem* TSimpleXMLElemsProlog::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<std::size_t>(index)].get();
}

TSimpleXMLElem* TSimpleXMLElemsProlog::Append(std::unique_ptr<TSimpleXMLElem> item)
{
    FItems.push_back(std::move(item));
    return FItems.back().get();
}
