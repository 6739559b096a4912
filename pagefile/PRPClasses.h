#pragma once
// The page file model: records of a loaded page, the page file stream, the object stream with its
// field readers, the two string encodings and the class tables.
#include <cstdint>
#include <string>
#include <vector>

#include "Errors.h"
#include "Streams.h"

// ---- Format version codes

constexpr uint16_t kVersionUru = 5;
constexpr uint16_t kVersionMystV = 6;
constexpr uint16_t kVersionLive = 7;
constexpr uint16_t kVersionHexIsle = 9;
constexpr uint16_t kMajorVersionLive = 70;

// True for the Myst V / Hex Isle family; every other code is treated as the Uru / Live family.
inline bool IsMystVFamily(uint16_t version) {
    return version == kVersionMystV || version == kVersionHexIsle;
}
inline bool IsUruFamily(uint16_t version) {
    return version == kVersionUru || version == kVersionLive;
}
// "Uru", "Myst V", "Live", "Hex Isle"; empty for other codes.
std::string FamilyName(uint16_t version);

// ---- Records

// Location flag bits of headers and keys.
constexpr uint16_t kLocalOnly = 0x01;
constexpr uint16_t kVolatile = 0x02;
constexpr uint16_t kReserved = 0x04;
constexpr uint16_t kBuiltIn = 0x08;
constexpr uint16_t kItinerant = 0x10;
// Page flag bits of Uru headers.
constexpr uint32_t kPartialPatchFile = 0x01;
constexpr uint32_t kBasicChecksum = 0x08;
constexpr uint32_t kPatchHeaderOnly = 0x10;

struct TPRPFileHeader {
    uint16_t Version = 0;
    uint16_t PageNumber = 0;
    uint16_t SeqPrefix = 0;
    uint16_t LocationFlags = 0;
    std::string AgeName;
    std::string District;
    std::string PageName;
    uint32_t Checksum = 0;
    uint32_t DataStart = 0;
    uint32_t IndexStart = 0;
    uint16_t MajorVersion = 0;
    uint16_t MinorVersion = 0;
    uint32_t ReleaseVersion = 0;
    uint32_t PageFlags = 0;
};

struct TPRPObjectDesc {
    uint8_t ContentsFlags = 0;
    uint16_t PageNumber = 0;
    uint16_t SeqPrefix = 0;
    uint8_t LoadMask = 0;
    uint16_t ClassType = 0;
    std::string Name;
    uint16_t LocationFlags = 0;
    uint32_t CloneID = 0;
    uint32_t ClonePlayerID = 0;
    uint32_t ObjectID = 0;
    uint8_t NewLoadMask = 0;
    bool operator==(const TPRPObjectDesc&) const = default;
};

struct TPRPFileObject {
    TPRPObjectDesc Desc;
    uint32_t Offset = 0;
    uint32_t Size = 0;
    std::string FileName;
    uint16_t Version = 0; // 0: the entry holds no object
    uint32_t MajorVersion = 0;
    // The page file as it was when this entry was read from its key index; an entry made otherwise has
    // none. A file with another stamp, or an object at the entry's place that is not the one it names,
    // has its key index read again: the entry holds while that index still lists it as it is.
    TFileStamp FileStamp;
};

struct TPRPFolder {
    uint16_t ClassType = 0;
    uint32_t Count = 0;
    std::vector<TPRPFileObject> Objects;
    uint32_t DataLength = 0;
    uint8_t GroupFlags = 0;
};

// What the page reader could not read completely. A page read whole has none of it.
struct TPageDamage {
    bool HeaderCut = false;          // the header runs past the end of the file
    bool IndexStartPastEnd = false;  // nothing of the key index lies in the file
    bool IndexStartInHeader = false; // the key index would begin inside the header
    bool IndexCut = false;           // the key index ends before all it lists
    bool GroupCountCut = false;      // the key index ends within its group count
    uint32_t GroupsStored = 0;
    uint32_t GroupsLoaded = 0; // groups whose header lies whole in the file
    // Keys listed by the groups loaded (a group whose count could not be true adds the keys it holds) and
    // keys loaded: a key the end of the file cuts is listed, not loaded.
    uint64_t KeysStored = 0;
    uint64_t KeysLoaded = 0;
    std::vector<uint16_t> MiscountedGroups; // the class of each group whose key count could not be true

    bool Any() const {
        return HeaderCut || IndexStartPastEnd || IndexStartInHeader || IndexCut || GroupCountCut ||
               GroupsLoaded < GroupsStored || KeysLoaded < KeysStored || !MiscountedGroups.empty();
    }
};

struct TPRPFile {
    std::string FileName;
    TPRPFileHeader Header;
    int32_t FolderCount = 0;
    std::vector<TPRPFolder> Folders;
    TPageDamage Damage;
};

// What was cut, in words ("the key index is damaged; 12 of 30 keys loaded"; when groups were not read, "...;
// 3 of 10 class groups and 12 of at least 30 keys loaded" or "...; 3 of 10 class groups and their 12 keys
// loaded"); empty for a page read whole.
std::string DescribePageDamage(const TPRPFile& page);

struct TPRPDef {
    uint16_t ClassId = 0;
    int32_t ImageIndex = 0;
    std::string Name;
};
using TPRPDefs = std::vector<TPRPDef>;

// Stored location words -> adjusted page number: the low word less 1 when the high word is 0xFFFF,
// otherwise less 33, wrapping in 16 bits.
uint16_t AdjustPageNumber(uint16_t storedLow, uint16_t seqPrefix);
// The inverse: the low word as stored.
uint16_t StoredLocationLow(uint16_t pageNumber, uint16_t seqPrefix);

// ---- String encodings

// The fixed key of the Myst V / Hex Isle string encoding.
extern const char kQuorbelKey[8];

std::string InvertString(const std::string& s);
std::u16string InvertWideString(const std::u16string& ws);
std::string QuorbelXorString(const std::string& s);
// Two upper-case hexadecimal digits, high first; a non-digit counts as described in the tests.
uint8_t HexPairToByte(const char* s);
uint8_t HexPairToByte(const std::string& s);

// ---- Page file stream

class TPlasmaFileStream : public TFileStream {
public:
    TPlasmaFileStream(const std::string& fileName, TFileMode mode) : TFileStream(fileName, mode) {}

    TPRPFileHeader Header;
    std::vector<TPRPFolder> Folders;
    TPageDamage Damage;

    void ReadPageHeader();
    void ReadKeyIndex();
    void ReadKeyGroupUru(TPRPFolder& folder);
    void ReadKeyGroupMystV(TPRPFolder& folder);
    void ReadKey(TPRPObjectDesc& key);
    void ReadKeyUru(TPRPObjectDesc& key);
    void ReadKeyMystV(TPRPObjectDesc& key);
    void ReadSafeStringUru(std::string& s);
    void ReadSafeStringMystV(std::string& s);
    void GetPageInfo(TPRPFile& page);
    void SetVersionByIndex(int index);

    void WriteSafeString(const std::string& s);
    void WriteSafeStringUru(const std::string& s);
    void WriteSafeStringMystV(const std::string& s);
    // Takes the template's path; a new page is created empty, so nothing is read or written.
    void ApplyTemplate(const std::string& templatePath);

private:
    int64_t headerEnd_ = 0;
};

// ---- Object stream

class TPlasmaStream : public TMemoryStream {
public:
    TPlasmaStream() = default;
    explicit TPlasmaStream(std::vector<uint8_t> bytes) : TMemoryStream(std::move(bytes)) {}

    TPRPFileHeader Header; // only Version and MajorVersion are used

    bool ReadKeyPresent();
    void ReadKey(TPRPObjectDesc& key);
    void ReadKeyUru(TPRPObjectDesc& key);
    void ReadKeyMystV(TPRPObjectDesc& key);
    void ReadSafeString(std::string& s);
    void ReadSafeStringUru(std::string& s);
    void ReadSafeStringMystV(std::string& s);
    void ReadSafeWString(std::u16string& ws);
    void ReadSafeWStringUru(std::u16string& ws);
    void ReadString32(std::string& s);

    // `key`: the present byte where the format has one, then the key; an absent key leaves `key` as it was.
    void ReadKeyRef(TPRPObjectDesc& key);
    // `keys(n)`: u32 count, then that many `key`s, each read into a cleared record. The count is capped at
    // what the bytes left could hold and the loop stops at the end of the data.
    std::vector<TPRPObjectDesc> ReadKeyRefs();
    // The smallest number of bytes one stored `key` takes in this stream's format (at least 1); in a format
    // without a key layout, the shortest present key of any layout.
    size_t MinKeyRefSize() const;
    // A stored count capped at the number of items of at least minItemSize bytes the bytes left could hold.
    uint32_t CapCount(uint32_t count, size_t minItemSize);
};

// One object's stored bytes (class index, own key, body) as they lie in its page file now. When the file
// is not the one the entry was read from (another stamp), or holds other than the entry's class index and
// key name at its place, the page's key index is read again (once for each stamp of a file, for all the
// entries that ask): the bytes are taken when it still lists the entry with the same offset, size and key
// in the same format, and EPageChanged is raised when the entry moved, changed or went away.
std::vector<uint8_t> ReadStoredObject(const TPRPFileObject& entry);
// Copies one object's stored bytes out of its page file (ReadStoredObject): the body (after the class
// index and own key) goes into `body` at its position and `body` is rewound. Raises "Object data is
// empty!" for size 0.
void ExtractObjectData(const TPRPFileObject& entry, TPlasmaStream& body, TPRPObjectDesc& ownKey);

struct TVector3 {
    float X = 0, Y = 0, Z = 0;
};
struct TColorRGBA {
    float R = 0, G = 0, B = 0, A = 0;
};
void ReadVector3(TStream& stream, TVector3& v);
void ReadColorRGBA(TStream& stream, TColorRGBA& c);

// ---- Class tables

extern TPRPDefs UruTypes;
extern TPRPDefs M5Types;
extern TPRPDefs LiveTypes;
extern TPRPDefs HITypes;

// The table of a format version code (Uru for 5 and any code without a table of its own).
const TPRPDefs& ClassTableFor(uint16_t version);

// Appends the rows of one class-table file ("004C<TAB>12|plTest" per line).
void LoadClassTable(const std::string& fileName, TPRPDefs& table);
// Reads "UruPRPTypes.dat", "M5PRPTypes.dat", "LivePRPTypes.dat" and "HIPRPTypes.dat" from programDir
// (with a trailing separator) in that order; the first failure propagates and skips the rest.
void LoadClassTables(const std::string& programDir);
void ClearClassTables();

std::string GetClassLabel(const TPRPObjectDesc& key, uint16_t version);
int32_t GetClassImageIndex(const TPRPObjectDesc& key, uint16_t version);
std::string GetObjectClassLabel(const TPRPFileObject& entry);
int32_t GetObjectImageIndex(const TPRPFileObject& entry);
int32_t GetClassTypeImageIndex(uint16_t classType, uint16_t version);

// Four upper-case hexadecimal digits.
std::string HexWord(uint16_t value);
