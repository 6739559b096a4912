#include "PRPClasses.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>

std::string FamilyName(uint16_t version) {
    switch (version) {
    case kVersionUru:
        return "Uru";
    case kVersionMystV:
        return "Myst V";
    case kVersionLive:
        return "Live";
    case kVersionHexIsle:
        return "Hex Isle";
    default:
        return std::string();
    }
}

uint16_t AdjustPageNumber(uint16_t storedLow, uint16_t seqPrefix) {
    return static_cast<uint16_t>(storedLow - (seqPrefix == 0xFFFF ? 1 : 33));
}

uint16_t StoredLocationLow(uint16_t pageNumber, uint16_t seqPrefix) {
    return static_cast<uint16_t>(pageNumber + (seqPrefix == 0xFFFF ? 1 : 33));
}

std::string HexWord(uint16_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 0xF];
    return text;
}

namespace {

// Up to `length` bytes; a length that runs past the end yields only the bytes that exist.
template <class S> std::string readBytes(S& stream, size_t length) {
    const size_t available =
        static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(length), stream.Remaining()));
    std::string bytes(available, '\0');
    if (available > 0) stream.Read(bytes.data(), available);
    if constexpr (std::is_base_of_v<TFileStream, S>) {
        if (available < length) stream.SetReadPastEnd(true);
    }
    return bytes;
}

// Uru string: u16 W (flag nibble, 12-bit length), the bytes, a dropped u16 when the flag nibble is 0.
// Stored bytes from 0x80 up mean the string is inverted.
template <class S> std::string readUruString(S& stream) {
    uint16_t word = 0;
    stream.ReadValue(word);
    const unsigned flags = word >> 12;
    const size_t length = word & 0x0FFF;
    std::string s = readBytes(stream, length);
    if (flags == 0) {
        uint16_t dropped = 0;
        stream.ReadValue(dropped);
    }
    if (!s.empty() && static_cast<uint8_t>(s[0]) >= 0x80) s = InvertString(s);
    return s;
}

template <class S> std::string readQuorbelString(S& stream) {
    uint16_t length = 0;
    stream.ReadValue(length);
    return QuorbelXorString(readBytes(stream, length));
}

template <class S> void readLocation(S& stream, TPRPObjectDesc& key) {
    uint16_t low = key.PageNumber;
    stream.ReadValue(low);
    stream.ReadValue(key.SeqPrefix);
    key.PageNumber = AdjustPageNumber(low, key.SeqPrefix);
}

template <class S> void readKeyUruLayout(S& stream, bool live, TPRPObjectDesc& key) {
    stream.ReadValue(key.ContentsFlags);
    if (live && key.ContentsFlags == 1) stream.ReadValue(key.ContentsFlags);
    readLocation(stream, key);
    stream.ReadValue(key.LocationFlags);
    if (key.ContentsFlags & 2) stream.ReadValue(key.LoadMask);
    stream.ReadValue(key.ClassType);
    if (live) stream.ReadValue(key.ObjectID);
    key.Name = readUruString(stream);
    if (key.ContentsFlags & 1) {
        stream.ReadValue(key.CloneID);
        stream.ReadValue(key.ClonePlayerID);
    }
}

template <class S> void readKeyMystVLayout(S& stream, TPRPObjectDesc& key) {
    stream.ReadValue(key.ContentsFlags);
    readLocation(stream, key);
    stream.ReadValue(key.LoadMask);
    stream.ReadValue(key.ClassType);
    stream.ReadValue(key.ObjectID);
    key.Name = readQuorbelString(stream);
    if (key.ContentsFlags & 6) stream.ReadValue(key.NewLoadMask);
}

// Smallest stored sizes, used to cap counts read from a file against the bytes left.
constexpr size_t kMinUruKey = 1 + 4 + 2 + 2 + 2;       // flags, location, location flags, class, empty name
constexpr size_t kMinMystVKey = 1 + 4 + 1 + 2 + 4 + 2; // flags, location, flags byte, class, id, empty name
constexpr size_t kEntryTail = 8;                       // offset and size

// Every key of a group carries the group's class and the page's location, and its bytes lie in the file.
bool ofGroupClassAndPage(TPlasmaFileStream& stream, const TPRPFolder& folder, const TPRPObjectDesc& key) {
    return key.ClassType == folder.ClassType && key.PageNumber == stream.Header.PageNumber &&
           key.SeqPrefix == stream.Header.SeqPrefix;
}
bool belongsToGroup(TPlasmaFileStream& stream, const TPRPFolder& folder, const TPRPFileObject& entry) {
    return ofGroupClassAndPage(stream, folder, entry.Desc) &&
           static_cast<int64_t>(entry.Offset) + entry.Size <= stream.Size();
}

// One class group: u16 class, the Live / Myst V extras, u32 count, then the entries. The count is
// trusted only as far as the data goes: the loop stops at the end and nothing is reserved beyond it. A group
// whose header the end of the file cuts counts as not loaded, and the caller drops it.
// Room is reserved ahead only for a count the bytes left can hold. A false count may end at its first entry
// with the next group right behind it: room for all the rest of the file could hold, kept for every such
// group, would grow with the square of the groups.
void readKeyGroup(TPlasmaFileStream& stream, TPRPFolder& folder, bool mystV, bool live) {
    stream.ReadValue(folder.ClassType);
    if (mystV || live) {
        stream.ReadValue(folder.DataLength);
        stream.ReadValue(folder.GroupFlags);
    }
    stream.ReadValue(folder.Count);
    folder.Objects.clear();
    TPageDamage& damage = stream.Damage;
    if (stream.ReadPastEnd()) {
        folder.Count = 0;
        return;
    }
    ++damage.GroupsLoaded;
    const size_t minEntry = (mystV ? kMinMystVKey : kMinUruKey + (live ? 4 : 0)) + kEntryTail;
    const uint64_t fits = static_cast<uint64_t>(stream.Remaining()) / minEntry;
    // A count the bytes left cannot hold is false, or the file is cut. Such a group ends at its first
    // entry that is not one of its keys: there the next group's header begins, and the later groups keep
    // their own keys. An entry the end of the file cuts is no sign of a false count, only of the cut.
    const bool doubtful = folder.Count > fits;
    bool miscounted = false;
    if (!doubtful) folder.Objects.reserve(folder.Count);
    for (uint32_t i = 0; i < folder.Count && !stream.AtEnd(); ++i) {
        const int64_t start = stream.Position();
        TPRPFileObject entry;
        entry.FileStamp = stream.Stamp();
        // Fields the end of the file leaves unread keep these: the group's class and the page's location.
        entry.Desc.ClassType = folder.ClassType;
        entry.Desc.PageNumber = StoredLocationLow(stream.Header.PageNumber, stream.Header.SeqPrefix);
        entry.Desc.SeqPrefix = stream.Header.SeqPrefix;
        if (mystV)
            readKeyMystVLayout(stream, entry.Desc);
        else
            readKeyUruLayout(stream, live, entry.Desc);
        stream.ReadValue(entry.Offset);
        stream.ReadValue(entry.Size);
        const bool cut = stream.ReadPastEnd();
        // A group's entry that names another class or page is the next group's header under a false count,
        // whether it runs past the end or not. Else what is left of a cut entry is part of a key: not one.
        if (doubtful && !(cut ? ofGroupClassAndPage(stream, folder, entry.Desc)
                              : belongsToGroup(stream, folder, entry))) {
            stream.SetPosition(start);
            stream.SetReadPastEnd(false);
            miscounted = true;
            break;
        }
        if (cut) break;
        folder.Objects.push_back(std::move(entry));
    }
    damage.KeysStored += miscounted ? folder.Objects.size() : folder.Count;
    damage.KeysLoaded += folder.Objects.size();
    if (miscounted) damage.MiscountedGroups.push_back(folder.ClassType);
    folder.Count = static_cast<uint32_t>(folder.Objects.size());
}

} // namespace

// ---- String encodings

const char kQuorbelKey[8] = {'q', 'o', 'r', 'v', 'a', 'l', 'e', 'n'};

std::string InvertString(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(~static_cast<uint8_t>(c));
    return out;
}

std::u16string InvertWideString(const std::u16string& ws) {
    std::u16string out(ws);
    for (char16_t& c : out)
        c = static_cast<char16_t>(~c);
    return out;
}

std::string QuorbelXorString(const std::string& s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(static_cast<uint8_t>(out[i]) ^ static_cast<uint8_t>(kQuorbelKey[i % 8]));
    return out;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

uint8_t HexPairToByte(const char* s) {
    const int high = hexDigit(s[0]);
    if (high < 0) return 0;
    const int low = s[1] ? hexDigit(s[1]) : -1;
    return static_cast<uint8_t>(high * 16 + (low < 0 ? 0 : low));
}

uint8_t HexPairToByte(const std::string& s) {
    char pair[3] = {s.size() > 0 ? s[0] : '\0', s.size() > 1 ? s[1] : '\0', '\0'};
    return HexPairToByte(pair);
}

// ---- TPlasmaFileStream

void TPlasmaFileStream::ReadPageHeader() {
    SetReadPastEnd(false);
    Header.Version = 0;
    uint16_t second = 0;
    ReadValue(Header.Version);
    ReadValue(second);
    TPRPFileHeader& h = Header;
    auto readLocationWords = [&] {
        uint16_t low = 0;
        ReadValue(low);
        ReadValue(h.SeqPrefix);
        h.PageNumber = AdjustPageNumber(low, h.SeqPrefix);
    };
    if (h.Version == kVersionUru) {
        readLocationWords();
        ReadValue(h.LocationFlags);
        ReadSafeStringUru(h.AgeName);
        ReadSafeStringUru(h.District);
        ReadSafeStringUru(h.PageName);
        ReadValue(h.MajorVersion);
        ReadValue(h.MinorVersion);
        ReadValue(h.ReleaseVersion);
        ReadValue(h.PageFlags);
    } else if (second == 0) {
        h.Version = kVersionLive;
        h.MajorVersion = kMajorVersionLive;
        readLocationWords();
        ReadValue(h.LocationFlags);
        ReadSafeStringUru(h.AgeName);
        ReadSafeStringUru(h.PageName);
        ReadValue(h.MinorVersion);
    } else {
        // Myst V and Hex Isle (and any unknown code): a type table of `second` entries is skipped.
        Seek(4 * static_cast<int64_t>(second), TSeekOrigin::soCurrent);
        readLocationWords();
        uint8_t flags = static_cast<uint8_t>(h.LocationFlags);
        ReadValue(flags);
        h.LocationFlags = flags;
        ReadSafeStringMystV(h.AgeName);
        ReadSafeStringMystV(h.PageName);
    }
    ReadValue(h.Checksum);
    ReadValue(h.DataStart);
    ReadValue(h.IndexStart);
    // An empty file is what "New PRP File" writes: a page without anything in it, not a damaged one.
    Damage.HeaderCut = ReadPastEnd() && Size() > 0;
    headerEnd_ = Position();
}

void TPlasmaFileStream::ReadKeyIndex() {
    const bool headerCut = Damage.HeaderCut;
    Damage = TPageDamage();
    Damage.HeaderCut = headerCut;
    Folders.clear();
    if (Header.IndexStart >= Size()) {
        Damage.IndexStartPastEnd = Size() > 0;
        return;
    }
    Damage.IndexStartInHeader = !headerCut && Header.IndexStart < headerEnd_;
    SetPosition(Header.IndexStart);
    SetReadPastEnd(false);
    uint32_t groupCount = 0;
    ReadValue(groupCount);
    if (ReadPastEnd()) {
        Damage.GroupCountCut = true;
        Damage.IndexCut = true;
        return;
    }
    const bool mystV = IsMystVFamily(Header.Version);
    const bool live = Header.MajorVersion == kMajorVersionLive;
    const size_t minGroup = (mystV || live) ? 11 : 6;
    Folders.reserve(
        static_cast<size_t>(std::min<uint64_t>(groupCount, static_cast<uint64_t>(Remaining()) / minGroup)));
    // Every read past the end ends the index: the reading stops at the first cut group or key.
    for (uint32_t i = 0; i < groupCount && !AtEnd() && !ReadPastEnd(); ++i) {
        if (mystV)
            ReadKeyGroupMystV(Folders.emplace_back());
        else
            ReadKeyGroupUru(Folders.emplace_back());
    }
    if (Folders.size() > Damage.GroupsLoaded) Folders.pop_back(); // its header was cut
    Damage.GroupsStored = groupCount;
    Damage.IndexCut =
        ReadPastEnd() || Damage.GroupsLoaded < groupCount || Damage.KeysLoaded < Damage.KeysStored;
}

void TPlasmaFileStream::ReadKeyGroupUru(TPRPFolder& folder) {
    readKeyGroup(*this, folder, false, Header.MajorVersion == kMajorVersionLive);
}

void TPlasmaFileStream::ReadKeyGroupMystV(TPRPFolder& folder) {
    readKeyGroup(*this, folder, true, false);
}

void TPlasmaFileStream::ReadKey(TPRPObjectDesc& key) {
    if (IsUruFamily(Header.Version))
        ReadKeyUru(key);
    else if (IsMystVFamily(Header.Version))
        ReadKeyMystV(key);
}

void TPlasmaFileStream::ReadKeyUru(TPRPObjectDesc& key) {
    readKeyUruLayout(*this, Header.MajorVersion == kMajorVersionLive, key);
}

void TPlasmaFileStream::ReadKeyMystV(TPRPObjectDesc& key) {
    readKeyMystVLayout(*this, key);
}

void TPlasmaFileStream::ReadSafeStringUru(std::string& s) {
    s = readUruString(*this);
}

void TPlasmaFileStream::ReadSafeStringMystV(std::string& s) {
    s = readQuorbelString(*this);
}

void TPlasmaFileStream::GetPageInfo(TPRPFile& page) {
    // The stream is read once and freed, so its groups are handed over rather than copied.
    page.Header = Header;
    page.FolderCount = static_cast<int32_t>(Folders.size());
    page.Folders = std::move(Folders);
    Folders.clear();
    page.Damage = Damage;
}

std::string DescribePageDamage(const TPRPFile& page) {
    const TPageDamage& damage = page.Damage;
    std::vector<std::string> parts;
    if (damage.HeaderCut) parts.push_back("the page header is cut short");
    if (damage.IndexStartPastEnd) parts.push_back("the key index starts past the end of the file");
    if (damage.IndexStartInHeader) parts.push_back("the key index starts inside the page header");
    // Miscounted groups are named together, each class once in the order its groups came, with how many.
    std::vector<std::pair<uint16_t, size_t>> miscounted;
    std::unordered_map<uint16_t, size_t> placeOfClass;
    for (uint16_t classType : damage.MiscountedGroups) {
        const auto [place, first] = placeOfClass.try_emplace(classType, miscounted.size());
        if (first) miscounted.emplace_back(classType, 0);
        ++miscounted[place->second].second;
    }
    const auto classLabel = [&](uint16_t classType) {
        TPRPObjectDesc key;
        key.ClassType = classType;
        return GetClassLabel(key, page.Header.Version);
    };
    if (miscounted.size() == 1 && miscounted[0].second == 1) {
        parts.push_back("the key count of the " + classLabel(miscounted[0].first) + " group is damaged");
    } else if (!miscounted.empty()) {
        std::string text = "the key counts of ";
        for (size_t i = 0; i < miscounted.size(); ++i) {
            const auto [classType, groups] = miscounted[i];
            if (i > 0) text += i + 1 == miscounted.size() ? " and " : ", ";
            text +=
                std::to_string(groups) + " " + classLabel(classType) + (groups == 1 ? " group" : " groups");
        }
        parts.push_back(text + " are damaged");
    }
    const bool groupsCut = damage.GroupsLoaded < damage.GroupsStored;
    if (damage.GroupCountCut) {
        parts.push_back("the key index is damaged; its class group count is cut short");
    } else if (groupsCut || damage.KeysLoaded < damage.KeysStored || damage.IndexCut) {
        // The groups not read may hold keys of their own: how many the index lists is not known.
        const std::string loaded = std::to_string(damage.KeysLoaded);
        const std::string groups = std::to_string(damage.GroupsLoaded) + " of " +
                                   std::to_string(damage.GroupsStored) + " class groups";
        std::string text = "the key index is damaged; ";
        if (!groupsCut)
            text += loaded + " of " + std::to_string(damage.KeysStored) + " keys loaded";
        else if (damage.GroupsLoaded == 0)
            text += groups + " loaded";
        else if (damage.KeysLoaded < damage.KeysStored)
            text += groups + " and " + loaded + " of at least " + std::to_string(damage.KeysStored) +
                    " keys loaded";
        else
            text += groups + " and " + (damage.GroupsLoaded == 1 ? "its " : "their ") + loaded +
                    (damage.KeysLoaded == 1 ? " key loaded" : " keys loaded");
        parts.push_back(text);
    }
    std::string description;
    for (const std::string& part : parts)
        description += (description.empty() ? "" : "; ") + part;
    return description;
}

void TPlasmaFileStream::SetVersionByIndex(int index) {
    static const int16_t versions[] = {5, 5, 6, 6, 6, 9, 7};
    if (index == -1)
        Header.Version = 0;
    else if (index >= 0 && index < 7)
        Header.Version = static_cast<uint16_t>(versions[index]);
}

void TPlasmaFileStream::WriteSafeString(const std::string& s) {
    if (IsUruFamily(Header.Version))
        WriteSafeStringUru(s);
    else if (IsMystVFamily(Header.Version))
        WriteSafeStringMystV(s);
}

void TPlasmaFileStream::WriteSafeStringUru(const std::string& s) {
    const size_t length = s.size() & 0x0FFF;
    WriteValue(static_cast<uint16_t>(0xF000 + length));
    const std::string stored = InvertString(s.substr(0, length));
    WriteBuffer(stored.data(), stored.size());
}

void TPlasmaFileStream::WriteSafeStringMystV(const std::string& s) {
    const size_t length = s.size() & 0xFFFF;
    WriteValue(static_cast<uint16_t>(length));
    const std::string stored = QuorbelXorString(s.substr(0, length));
    WriteBuffer(stored.data(), stored.size());
}

void TPlasmaFileStream::ApplyTemplate(const std::string& templatePath) {
    (void)templatePath;
}

// ---- TPlasmaStream

bool TPlasmaStream::ReadKeyPresent() {
    if (!IsUruFamily(Header.Version)) return true;
    uint8_t present = 0;
    ReadValue(present);
    return present != 0;
}

void TPlasmaStream::ReadKey(TPRPObjectDesc& key) {
    if (IsUruFamily(Header.Version))
        ReadKeyUru(key);
    else if (IsMystVFamily(Header.Version))
        ReadKeyMystV(key);
}

void TPlasmaStream::ReadKeyUru(TPRPObjectDesc& key) {
    readKeyUruLayout(*this, Header.MajorVersion == kMajorVersionLive, key);
}

void TPlasmaStream::ReadKeyMystV(TPRPObjectDesc& key) {
    readKeyMystVLayout(*this, key);
}

void TPlasmaStream::ReadSafeString(std::string& s) {
    if (IsUruFamily(Header.Version))
        ReadSafeStringUru(s);
    else if (IsMystVFamily(Header.Version))
        ReadSafeStringMystV(s);
    else
        s.clear();
}

void TPlasmaStream::ReadSafeStringUru(std::string& s) {
    s = readUruString(*this);
}

void TPlasmaStream::ReadSafeStringMystV(std::string& s) {
    s = readQuorbelString(*this);
}

void TPlasmaStream::ReadSafeWString(std::u16string& ws) {
    ReadSafeWStringUru(ws);
}

void TPlasmaStream::ReadSafeWStringUru(std::u16string& ws) {
    uint16_t word = 0;
    ReadValue(word);
    const size_t count = std::min<size_t>(word & 0x0FFF, static_cast<size_t>(Remaining() / 2));
    ws.assign(count, u'\0');
    if (count > 0) Read(ws.data(), count * 2);
    if ((word >> 12) == 15) ws = InvertWideString(ws);
    uint16_t terminator = 0;
    ReadValue(terminator);
}

void TPlasmaStream::ReadString32(std::string& s) {
    uint32_t length = 0;
    ReadValue(length);
    s = readBytes(*this, length);
}

void TPlasmaStream::ReadKeyRef(TPRPObjectDesc& key) {
    if (ReadKeyPresent()) ReadKey(key);
}

size_t TPlasmaStream::MinKeyRefSize() const {
    if (IsMystVFamily(Header.Version)) return kMinMystVKey;
    if (IsUruFamily(Header.Version)) return 1; // an absent key: its present byte
    // Formats without a key layout read nothing for a key, so the bytes bound nothing: a count is held to
    // the keys the bytes left could hold in the shortest present key of any layout (present byte and the
    // shortest Uru key), not to one key per byte.
    return 1 + kMinUruKey;
}

uint32_t TPlasmaStream::CapCount(uint32_t count, size_t minItemSize) {
    const uint64_t fits = static_cast<uint64_t>(Remaining()) / std::max<size_t>(1, minItemSize);
    return static_cast<uint32_t>(std::min<uint64_t>(count, fits));
}

std::vector<TPRPObjectDesc> TPlasmaStream::ReadKeyRefs() {
    uint32_t count = 0;
    ReadValue(count);
    count = CapCount(count, MinKeyRefSize());
    std::vector<TPRPObjectDesc> keys;
    keys.reserve(count);
    const bool consumesBytes = IsUruFamily(Header.Version) || IsMystVFamily(Header.Version);
    for (uint32_t i = 0; i < count; ++i) {
        if (consumesBytes && AtEnd()) break;
        TPRPObjectDesc key;
        ReadKeyRef(key);
        keys.push_back(std::move(key));
    }
    return keys;
}

namespace {

// A page's key index as read again from its file at one stamp, to tell whether entries read before still
// hold. The latest ones are kept, so that the entries of a page that changed ask its file once per change,
// not once per use.
struct TIndexSnapshot {
    struct Placed {
        uint32_t Offset = 0;
        uint32_t Size = 0;
        TPRPObjectDesc Desc;
    };
    std::string FileName;
    TFileStamp Stamp;
    uint16_t Version = 0;
    uint16_t MajorVersion = 0;
    std::vector<Placed> Entries; // by offset

    bool Lists(const TPRPFileObject& entry) const {
        // Another format code reads the same bytes as other keys and fields.
        if (entry.Version != Version || entry.MajorVersion != MajorVersion) return false;
        const auto byOffset = [](const Placed& placed, uint32_t offset) { return placed.Offset < offset; };
        for (auto it = std::lower_bound(Entries.begin(), Entries.end(), entry.Offset, byOffset);
             it != Entries.end() && it->Offset == entry.Offset; ++it)
            if (it->Size == entry.Size && it->Desc == entry.Desc) return true;
        return false;
    }
};

// Kept while together they list no more entries than a few large pages do; the last one read is always kept.
constexpr size_t kKeptEntries = 500'000;
constexpr size_t kKeptSnapshots = 64;
std::mutex snapshotsMutex;
std::vector<std::shared_ptr<const TIndexSnapshot>> snapshots; // the most recent last

// The key index of the opened file as it is at its stamp: kept from an earlier read, or read now.
std::shared_ptr<const TIndexSnapshot> indexAsItIsNow(TPlasmaFileStream& file) {
    {
        const std::lock_guard<std::mutex> lock(snapshotsMutex);
        for (const auto& snapshot : snapshots)
            if (snapshot->FileName == file.FileName() && snapshot->Stamp == file.Stamp()) return snapshot;
    }
    auto snapshot = std::make_shared<TIndexSnapshot>();
    snapshot->FileName = file.FileName();
    snapshot->Stamp = file.Stamp();
    file.SetPosition(0);
    file.ReadPageHeader();
    file.ReadKeyIndex();
    snapshot->Version = file.Header.Version;
    snapshot->MajorVersion = file.Header.MajorVersion;
    size_t count = 0;
    for (const TPRPFolder& folder : file.Folders)
        count += folder.Objects.size();
    snapshot->Entries.reserve(count);
    for (TPRPFolder& folder : file.Folders)
        for (TPRPFileObject& entry : folder.Objects)
            snapshot->Entries.push_back({entry.Offset, entry.Size, std::move(entry.Desc)});
    file.Folders.clear();
    // Pages store their objects in index order, so this is mostly a check.
    const auto byOffset = [](const auto& a, const auto& b) { return a.Offset < b.Offset; };
    if (!std::is_sorted(snapshot->Entries.begin(), snapshot->Entries.end(), byOffset))
        std::stable_sort(snapshot->Entries.begin(), snapshot->Entries.end(), byOffset);
    const std::lock_guard<std::mutex> lock(snapshotsMutex);
    std::erase_if(snapshots, [&](const auto& kept) { return kept->FileName == snapshot->FileName; });
    snapshots.push_back(snapshot);
    size_t entries = 0;
    for (const auto& kept : snapshots)
        entries += kept->Entries.size();
    while (snapshots.size() > 1 && (entries > kKeptEntries || snapshots.size() > kKeptSnapshots)) {
        entries -= snapshots.front()->Entries.size();
        snapshots.erase(snapshots.begin());
    }
    return snapshot;
}

// Reads one object's stored bytes (class index, own key, body) into `stored` as they lie in its page file
// now, and its own key into `ownKey`; `stored` is left after the key. Raises EPageChanged when the file's
// key index no longer lists the entry as it was read.
void readStoredObject(const TPRPFileObject& entry, TPlasmaStream& stored, TPRPObjectDesc& ownKey) {
    TPlasmaFileStream file(entry.FileName, TFileMode::fmOpenRead);
    // Offsets and sizes hold in the file the key index was read from, and in any file whose index
    // still lists the entry as it was: a new time or an identical copy changes nothing of them.
    bool indexChecked = false;
    auto checkIndex = [&] {
        if (!indexAsItIsNow(file)->Lists(entry)) throw EPageChanged(entry.FileName);
        indexChecked = true;
    };
    if (entry.FileStamp.Known() && file.Stamp() != entry.FileStamp) checkIndex();
    file.SetPosition(entry.Offset);
    if (entry.Size > 0) stored.CopyFrom(file, entry.Size);
    if (entry.Size == 0) return;
    stored.SetPosition(0);
    uint16_t classIndex = 0;
    stored.ReadValue(classIndex);
    stored.Header.Version = entry.Version;
    stored.Header.MajorVersion = static_cast<uint16_t>(entry.MajorVersion);
    stored.ReadKey(ownKey);
    // A file can change without a new stamp (written twice within the clock's tick), and then what lies
    // at the entry's place is another object's. Pages written by other tools, though, store objects
    // whose own key is not the one their index lists: the index, read again, tells the two apart.
    const bool keyRead = IsUruFamily(entry.Version) || IsMystVFamily(entry.Version);
    if ((classIndex != entry.Desc.ClassType || (keyRead && ownKey.Name != entry.Desc.Name)) && !indexChecked)
        checkIndex();
}

} // namespace

std::vector<uint8_t> ReadStoredObject(const TPRPFileObject& entry) {
    TPlasmaStream stored;
    TPRPObjectDesc ownKey;
    readStoredObject(entry, stored, ownKey);
    return stored.TakeBytes();
}

void ExtractObjectData(const TPRPFileObject& entry, TPlasmaStream& body, TPRPObjectDesc& ownKey) {
    if (entry.Size == 0) throw EInOutError("Object data is empty!");
    TPlasmaStream stored;
    readStoredObject(entry, stored, ownKey);
    const int64_t left = stored.Remaining();
    if (left > 0) body.CopyFrom(stored, left);
    body.SetPosition(0);
}

void ReadVector3(TStream& stream, TVector3& v) {
    stream.ReadValue(v.X);
    stream.ReadValue(v.Y);
    stream.ReadValue(v.Z);
}

void ReadColorRGBA(TStream& stream, TColorRGBA& c) {
    stream.ReadValue(c.R);
    stream.ReadValue(c.G);
    stream.ReadValue(c.B);
    stream.ReadValue(c.A);
}
