#include "GLTestSupport.h"
#include "PersistentClasses.h"
#include "VectorLists.h"
#include "XCollection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

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

TEST(BinaryArchive, ValuesRoundTrip) {
    std::string bytes = bytesOf([](TVirtualWriter& w) {
        w.WriteListBegin();
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteFloat(3.25L);
        w.WriteFloat(-1e-300L);
        w.WriteFloat(0.0L);
        w.WriteString("");
        w.WriteListEnd();
    });
    TStringStream stream(bytes);
    TBinaryReader reader(stream);
    reader.ReadListBegin();
    EXPECT_FALSE(reader.EndOfList());
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_EQ(reader.ReadFloat(), 3.25L);
    EXPECT_EQ(static_cast<double>(reader.ReadFloat()), -1e-300);
    EXPECT_EQ(reader.ReadFloat(), 0.0L);
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_TRUE(reader.EndOfList());
    reader.ReadListEnd();
}

TEST(BinaryArchive, ExtendedLayoutOfOne) {
    uint8_t bytes[10];
    ExtendedToBytes(1.0L, bytes);
    const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, expected, 10), 0);
    ExtendedToBytes(-2.5L, bytes);
    EXPECT_EQ(ExtendedFromBytes(bytes), -2.5L);
}

TEST(BinaryArchive, WideAndUtf8StringsAreRead) {
    // Tag 18: length in characters, two bytes each; tag 20: length in bytes of UTF-8.
    std::string wide("\x12\x02\x00\x00\x00"
                     "h\x00\xE9\x00",
                     9);
    std::string utf8("\x14\x03\x00\x00\x00"
                     "h\xC3\xA9",
                     8);
    TStringStream stream(wide + utf8);
    TBinaryReader reader(stream);
    EXPECT_EQ(reader.ReadString(), "h\xC3\xA9");
    EXPECT_EQ(reader.ReadString(), "h\xC3\xA9");
}

TEST(BinaryArchive, WrongTagRaisesReadTypeError) {
    TStringStream stream(std::string("\x07\x01", 2));
    TBinaryReader reader(stream);
    EXPECT_EQ(messageOf<EReadError>([&] { reader.ReadInteger(); }), "TBinaryReader, read type error");
    stream.SetPosition(0);
    EXPECT_EQ(messageOf<EReadError>([&] { reader.ReadBoolean(); }), "TBinaryReader, read type error");
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

TEST(PersistentObject, UnknownArchiveVersion) {
    std::string bytes = "KST1" + bytesOf([](TVirtualWriter& w) {
                            w.WriteInteger(3);
                            w.WriteInteger(1);
                        });
    TSignedThing thing;
    EXPECT_EQ(messageOf<EFilerException>([&] { thing.LoadFromString(bytes); }),
              "TSignedThing : unknown archive version 3");
}

TEST(PersistentObject, AssignCopiesThroughAnArchive) {
    TSignedThing a, b;
    a.Value = 77;
    b.Assign(&a);
    EXPECT_EQ(b.Value, 77);
    TPersistentObjectList notSameClass;
    EXPECT_THROW(b.Assign(&notSameClass), EConvertError);
}

TEST(PersistentObject, FileRoundTrip) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = QDir(dir.path()).filePath("signed_thing.bin").toStdString();
    TSignedThing a;
    a.Value = -5;
    a.SaveToFile(path);
    TSignedThing b;
    b.LoadFromFile(path);
    EXPECT_EQ(b.Value, -5);
    EXPECT_THAT(messageOf<Exception>([&] { b.LoadFromFile(path + ".missing"); }),
                HasSubstr("File not found"));
}

TEST(PersistentObjectList, ClassNameWrittenOnceThenByIndex) {
    TPersistentObjectList list;
    auto* first = new TAffineVectorList();
    first->Add(1, 2, 3);
    auto* second = new TAffineVectorList();
    second->Add(4, 5, 6);
    second->Add(7, 8, 9);
    list.Add(first);
    list.Add(nullptr);
    list.Add(second);
    std::string saved = list.SaveToString();
    size_t at = saved.find("TAffineVectorList");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(saved.find("TAffineVectorList", at + 1), std::string::npos);

    TPersistentObjectList loaded;
    loaded.LoadFromString(saved);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded[1], nullptr);
    auto* a = dynamic_cast<TAffineVectorList*>(loaded[0]);
    auto* b = dynamic_cast<TAffineVectorList*>(loaded[2]);
    ASSERT_TRUE(a && b);
    EXPECT_EQ((*a)[0], (TAffineVector{1, 2, 3}));
    ASSERT_EQ(b->Count(), 2);
    EXPECT_EQ((*b)[1], (TAffineVector{7, 8, 9}));
    loaded.Clean();
    list.Clean();
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
    EXPECT_EQ(messageOf<Exception>(
                  [&] { list.LoadFromString(archive([](TVirtualWriter& w) { w.WriteFloat(1); })); }),
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

TEST(PersistentObjectList, GrowthInsertDeleteAndErrors) {
    TPersistentObjectList list;
    TObject a, b, c;
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Capacity(), 16);
    list.Add(&c);
    list.Insert(1, &b);
    EXPECT_EQ(list.IndexOf(&b), 1);
    EXPECT_EQ(list.IndexOf(&c), 2);
    EXPECT_EQ(list.Remove(&a), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list.Pop(), &c);
    EXPECT_EQ(list.Pop(), &b);
    EXPECT_EQ(list.Pop(), nullptr);
    EXPECT_EQ(messageOf<EListError>([&] { list.ObjectListItem(0); }), "Invalid list index");
    EXPECT_THROW(list.Delete(0), EListError);
    EXPECT_THROW(list.Insert(1, &a), EListError);
    list.SetCount(3);
    EXPECT_EQ(list[2], nullptr);
    list.SetCapacity(1);
    EXPECT_EQ(list.Count(), 1);
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
}

// ---- Extensible collections -------------------------------------------------------------------------

namespace {

class TPlainItem : public TXCollectionItem {
public:
    static const TXCollectionItemClass& Info() {
        static const TXCollectionItemClass info(
            "TPlainItem", &TXCollectionItem::StaticClass(), [] { return new TPlainItem(); }, "Plain item");
        return info;
    }
    const TXCollectionItemClass& ItemClass() const override { return Info(); }
    const TMetaClass& ClassType() const override { return Info(); }
};

class TUniqueItem : public TXCollectionItem {
public:
    static const TXCollectionItemClass& Info() {
        static const TXCollectionItemClass info(
            "TUniqueItem", &TXCollectionItem::StaticClass(), [] { return new TUniqueItem(); }, "Unique item",
            true);
        return info;
    }
    const TXCollectionItemClass& ItemClass() const override { return Info(); }
    const TMetaClass& ClassType() const override { return Info(); }
};

class TUniqueChild : public TUniqueItem {
public:
    static const TXCollectionItemClass& Info() {
        static const TXCollectionItemClass info(
            "TUniqueChild", &TUniqueItem::Info(), [] { return new TUniqueChild(); }, "Unique child");
        return info;
    }
    const TXCollectionItemClass& ItemClass() const override { return Info(); }
    const TMetaClass& ClassType() const override { return Info(); }
};

} // namespace

TEST(XCollection, ItemsJoinTakeTheirFriendlyNameAndLeave) {
    TXCollection collection;
    TXCollectionItem* a = TPlainItem::Info().CreateItem(&collection);
    TXCollectionItem* b = TPlainItem::Info().CreateItem(&collection);
    EXPECT_EQ(collection.Count(), 2);
    EXPECT_EQ(a->Name(), "Plain item");
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(b->GetNamePath(), "TXCollection[1]");
    EXPECT_EQ(a->Owner(), &collection);
    delete a;
    EXPECT_EQ(collection.Count(), 1);
    EXPECT_EQ(b->Index(), 0);
    // Without a collection an item has no place; a collection keeps the owner it was made for.
    std::unique_ptr<TXCollectionItem> loose(TPlainItem::Info().CreateItem(nullptr));
    EXPECT_EQ(loose->Owner(), nullptr);
    EXPECT_EQ(loose->Index(), -1);
    TPersistent holder;
    TXCollection owned(&holder);
    EXPECT_EQ(owned.Owner(), &holder);
    EXPECT_EQ(collection.Owner(), nullptr);
}

TEST(XCollection, UniqueItemsAndTheirDescendantsAreRejectedTwice) {
    TXCollection collection;
    TUniqueItem::Info().CreateItem(&collection);
    EXPECT_FALSE(collection.CanAdd(TUniqueItem::Info()));
    EXPECT_FALSE(collection.CanAdd(TUniqueChild::Info()));
    EXPECT_TRUE(collection.CanAdd(TPlainItem::Info()));
    std::string message = messageOf<EAssertionFailed>([&] { TUniqueItem::Info().CreateItem(&collection); });
    EXPECT_THAT(message, HasSubstr("Addition of TUniqueItem to TXCollection rejected."));
    EXPECT_THAT(message, HasSubstr("engine3d\\Source\\Base\\XCollection, line "));
    EXPECT_EQ(collection.Count(), 1);
}

TEST(XCollection, StreamsClassesByNameOnceThenByIndex) {
    RegisterXCollectionItemClass(TPlainItem::Info());
    RegisterXCollectionItemClass(TUniqueItem::Info());
    TXCollection collection;
    TPlainItem::Info().CreateItem(&collection)->SetName("first");
    TUniqueItem::Info().CreateItem(&collection);
    TPlainItem::Info().CreateItem(&collection)->SetName("third");
    TStringStream stream;
    TBinaryWriter writer(stream);
    collection.WriteToFiler(&writer);
    std::string data = stream.DataString();
    size_t at = data.find("TPlainItem");
    EXPECT_EQ(data.find("TPlainItem", at + 1), std::string::npos);

    TXCollection copy;
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    copy.ReadFromFiler(&reader);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Items(0)->Name(), "first");
    EXPECT_EQ(&copy.Items(1)->ItemClass(), &TUniqueItem::Info());
    EXPECT_EQ(copy.Items(2)->Name(), "third");

    TXCollection assigned;
    assigned.Assign(&copy);
    EXPECT_EQ(assigned.Count(), 3);
    EXPECT_EQ(assigned.Items(2)->Name(), "third");
    UnregisterXCollectionItemClass(TPlainItem::Info());
    UnregisterXCollectionItemClass(TUniqueItem::Info());
}

TEST(XCollection, UnknownClassNameFailsWithTheUsesMessage) {
    TStringStream stream;
    TBinaryWriter writer(stream);
    writer.WriteInteger(1);
    writer.WriteString("TMissingItem");
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    TXCollection collection;
    EXPECT_THAT(messageOf<EAssertionFailed>([&] { collection.ReadFromFiler(&reader); }),
                HasSubstr("Class TMissingItem unknown. Add the relevant unit to your \"uses\"."));
}
