#include "GLTestSupport.h"
#include "PersistentClasses.h"
#include "VectorLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace engine3d;
using ::testing::HasSubstr;

namespace {

std::string bytesOf(const std::function<void(TVirtualWriter&)>& write) {
    TStringStream stream;
    TBinaryWriter writer(stream);
    write(writer);
    return stream.DataString();
}

using engine3d_test::messageOf;

// A persistent object with a signature and one field, as derived classes of the archive look.
class TSignedThing : public TPersistentObject {
    E3D_DECLARE_CLASS(TSignedThing)
public:
    int Value = 0;
    std::string FileSignature() const override { return "KST1"; }
    void WriteToFiler(TVirtualWriter* writer) const override {
        TPersistentObject::WriteToFiler(writer);
        writer->WriteInteger(0);
        writer->WriteInteger(Value);
    }
    void ReadFromFiler(TVirtualReader* reader) override {
        TPersistentObject::ReadFromFiler(reader);
        int version = reader->ReadInteger();
        if (version != 0) RaiseFilerException(version);
        Value = reader->ReadInteger();
    }
};
E3D_DEFINE_CLASS(TSignedThing, TPersistentObject)

} // namespace

struct IntegerCase {
    int value;
    size_t size;
    uint8_t tag;
};
class WriteIntegerTest : public ::testing::TestWithParam<IntegerCase> {};
TEST_P(WriteIntegerTest, SmallestTagAndRoundTrip) {
    std::string bytes = bytesOf([&](TVirtualWriter& w) { w.WriteInteger(GetParam().value); });
    ASSERT_EQ(bytes.size(), GetParam().size);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), GetParam().tag);
    TStringStream stream(bytes);
    TBinaryReader reader(stream);
    EXPECT_EQ(reader.ReadInteger(), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(Integers, WriteIntegerTest,
                         ::testing::Values(IntegerCase{127, 2, vaInt8}, IntegerCase{-128, 2, vaInt8},
                                           IntegerCase{128, 3, vaInt16}, IntegerCase{-129, 3, vaInt16},
                                           IntegerCase{32767, 3, vaInt16}, IntegerCase{32768, 5, vaInt32},
                                           IntegerCase{-32769, 5, vaInt32},
                                           IntegerCase{std::numeric_limits<int>::min(), 5, vaInt32}));

TEST(BinaryArchive, StringTagsByLength) {
    std::string shortText(255, 'a'), longText(256, 'b');
    std::string shortBytes = bytesOf([&](TVirtualWriter& w) { w.WriteString(shortText); });
    std::string longBytes = bytesOf([&](TVirtualWriter& w) { w.WriteString(longText); });
    ASSERT_EQ(shortBytes.size(), 257u);
    EXPECT_EQ(static_cast<uint8_t>(shortBytes[0]), vaString);
    ASSERT_EQ(longBytes.size(), 261u);
    EXPECT_EQ(static_cast<uint8_t>(longBytes[0]), vaLString);
    EXPECT_EQ(std::memcmp(longBytes.data() + 1, "\x00\x01\x00\x00", 4), 0);
    TStringStream stream(shortBytes + longBytes);
    TBinaryReader reader(stream);
    EXPECT_EQ(reader.ReadString(), shortText);
    EXPECT_EQ(reader.ReadString(), longText);
}

TEST(BinaryArchive, ExtendedLayoutOfOne) {
    uint8_t bytes[10];
    ExtendedToBytes(1.0L, bytes);
    const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, expected, 10), 0);
    ExtendedToBytes(-2.5L, bytes);
    EXPECT_EQ(ExtendedFromBytes(bytes), -2.5L);
}

TEST(BinaryArchive, DamagedLengthsRaiseInsteadOfAllocating) {
    for (const std::string& damaged :
         {std::string("\x0C\xFF\xFF\xFF\x7F"
                      "abc",
                      8),
          std::string("\x0C\xFF\xFF\xFF\xFF", 5), std::string("\x12\x00\x00\x00\x40", 5),
          std::string("\x06\x10"
                      "abc",
                      5),
          std::string()}) {
        TStringStream stream(damaged);
        TBinaryReader reader(stream);
        EXPECT_THROW(reader.ReadString(), EReadError) << "archive of " << damaged.size() << " bytes";
    }
    TStringStream cut(std::string("\x04\x01", 2));
    TBinaryReader reader(cut);
    EXPECT_THROW(reader.ReadInteger(), EReadError);
}

TEST(PersistentObject, SignatureIsCheckedBeforeAnyField) {
    TSignedThing thing;
    thing.Value = 1234;
    std::string saved = thing.SaveToString();
    ASSERT_EQ(saved.substr(0, 4), "KST1");
    TSignedThing loaded;
    loaded.LoadFromString(saved);
    EXPECT_EQ(loaded.Value, 1234);

    std::string other = "KSX1" + saved.substr(4);
    EXPECT_EQ(messageOf<EInvalidFileSignature>([&] { loaded.LoadFromString(other); }),
              "Invalid file signature");
    EXPECT_EQ(messageOf<EInvalidFileSignature>([&] { loaded.LoadFromString("KS"); }),
              "Invalid file signature");
}

TEST(PersistentObjectList, DamagedArchivesGiveClearErrors) {
    auto archive = [](const std::function<void(TVirtualWriter&)>& items) {
        return bytesOf([&](TVirtualWriter& w) {
            w.WriteInteger(0);
            w.WriteListBegin();
            items(w);
            w.WriteListEnd();
        });
    };
    TPersistentObjectList list;
    EXPECT_EQ(messageOf<EClassNotFound>([&] {
                  list.LoadFromString(archive([](TVirtualWriter& w) { w.WriteString("TNoSuchList"); }));
              }),
              "Class TNoSuchList not found");
    EXPECT_EQ(messageOf<Exception>(
                  [&] { list.LoadFromString(archive([](TVirtualWriter& w) { w.WriteInteger(4); })); }),
              "Broken ObjectList archive");
    // A stored count far beyond the archive's bytes.
    std::string hugeCount = archive([](TVirtualWriter& w) {
        w.WriteString("TVectorList");
        w.WriteInteger(0);
        w.WriteInteger(0x7FFFFFF0);
        w.WriteInteger(16);
    });
    EXPECT_THAT(messageOf<EReadError>([&] { list.LoadFromString(hugeCount); }),
                HasSubstr("exceeds the data"));
    list.Clean();
    std::string wrongItemSize = archive([](TVirtualWriter& w) {
        w.WriteString("TVectorList");
        w.WriteInteger(0);
        w.WriteInteger(1);
        w.WriteInteger(4);
        w.Write("abcd", 4);
    });
    EXPECT_THAT(messageOf<EReadError>([&] { list.LoadFromString(wrongItemSize); }), HasSubstr("item size 4"));
    list.Clean();
    // Cut short anywhere: a read error, never a hang.
    std::string whole = archive([](TVirtualWriter& w) { w.WriteString("TSingleList"); });
    for (size_t n = 0; n < whole.size(); ++n) {
        TPersistentObjectList partial;
        EXPECT_ANY_THROW(partial.LoadFromString(whole.substr(0, n)));
        partial.Clean();
    }
}
