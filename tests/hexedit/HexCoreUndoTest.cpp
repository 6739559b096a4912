// Undo storage: record layout byte for byte, pruning, undo/redo round trips and nibble shifts (grouping is
// pinned through the drag move that makes a group, HexDragDrop.MoveWithinControlIsOneUndoableGroup).
#include "HexCoreTestUtil.h"

#include <gtest/gtest.h>

#include <random>

TEST(HexUndoRecord, TypedDigitRecordLayout) {
    LoadedCore e(std::vector<uint8_t>(16, 0));
    caretTo(e, 5);
    e.KeyPress(u'4');
    const auto& s = e.UndoStorage().bytes();
    ASSERT_EQ(s.size(), 34u);
    EXPECT_EQ(u32At(s, 0), 34u);
    EXPECT_EQ(u32At(s, 4), 0x0001u); // kind 0, nothing else set
    EXPECT_EQ(u32At(s, 8), 5u);      // caret position
    EXPECT_EQ(u32At(s, 12), 5u);     // position
    EXPECT_EQ(u32At(s, 16), 1u);     // count
    EXPECT_EQ(u32At(s, 20), 0u);     // replace count
    EXPECT_EQ(s[24], tkAsIs);
    EXPECT_EQ(u32At(s, 25), 1u); // bytes per unit
    EXPECT_EQ(s[29], 0x00);      // saved old byte
    EXPECT_EQ(u32At(s, 30), 34u);
}

TEST(HexUndoRecord, DescriptionSelectionAndStateFlags) {
    LoadedCore e(sequence(16));
    e.SetModified(true);
    e.SetInsertMode(true);
    e.SetSelStart(2);
    e.SetSelEnd(4);
    e.CreateUndo(ukChange, 5, 1, 0, "abc");
    const auto rec = e.UndoStorage().lastRecord();
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->Length, 34u + 7u + 12u);
    EXPECT_EQ(rec->Flags, 0x0001u | 0x2000u | 0x10000u | 0x20000u | 0x100000u);
    EXPECT_EQ(rec->Description, "abc");
    EXPECT_EQ(rec->SelLower, 2);
    EXPECT_EQ(rec->SelUpper, 4);
    EXPECT_EQ(rec->SelAnchor, 2);
    const auto& s = e.UndoStorage().bytes();
    // data byte, then "abc", then the u32 count 3, then the selection, then L.
    EXPECT_EQ(s[29], 5);
    EXPECT_EQ(std::string(s.begin() + 30, s.begin() + 33), "abc");
    EXPECT_EQ(u32At(s, 33), 3u);
    EXPECT_EQ(u32At(s, 37), 2u);
    EXPECT_EQ(u32At(s, 41), 4u);
    EXPECT_EQ(u32At(s, 45), 2u);
    EXPECT_EQ(u32At(s, 49), 53u);
}

TEST(HexUndoRecord, SavedDataPerKind) {
    struct Row {
        THexUndoKind kind;
        int32_t position, count, replace;
        size_t dataBytes;
        uint8_t firstByte;
    };
    const Row rows[] = {
        {ukChange, 3, 2, 0, 2, 3},        {ukDelete, 4, 3, 0, 3, 4},  {ukInsert, 4, 3, 0, 1, 0},
        {ukReplace, 6, 1, 4, 4, 6},       {ukAppend, 16, 2, 0, 1, 0}, {ukNibbleInsert, 7, 0, 0, 1, 7},
        {ukNibbleDelete, 8, 0, 0, 1, 8},  {ukConvert, 1, 5, 0, 5, 1}, {ukCursorMove, 9, 0, 0, 1, 0},
        {ukAllDataSaved, 0, 0, 0, 16, 0}, {ukGroup, 0, 0, 0, 4, 3},
    };
    for (const Row& row : rows) {
        LoadedCore e(sequence(16));
        e.CreateUndo(row.kind, row.position, row.count, row.replace, row.kind == ukGroup ? "a b" : "");
        const auto rec = e.UndoStorage().lastRecord();
        ASSERT_TRUE(rec) << int(row.kind);
        EXPECT_EQ(rec->kind(), row.kind);
        const size_t expectedLength = row.dataBytes + 33 + (row.kind == ukGroup ? 3 + 4 : 0);
        EXPECT_EQ(rec->Length, expectedLength) << int(row.kind);
        EXPECT_EQ(rec->Data[0], row.firstByte) << int(row.kind);
        if (row.kind == ukAllDataSaved) {
            EXPECT_EQ(rec->Count, 16);
        }
        if (row.kind == ukCursorMove) {
            EXPECT_EQ(rec->CaretPosition, 9);
        }
    }
}

TEST(HexUndoRecord, KindTextsAndFlagKinds) {
    const char* texts[] = {"Change byte(s)",  "Remove data",           "Insert buffer", "Replace",
                           "Append buffer",   "Insert nibble",         "Delete nibble", "Convert",
                           "Cursor movement", "Multiple modification", "All data saved"};
    for (int k = 0; k <= 10; ++k)
        EXPECT_STREQ(undoKindText(static_cast<THexUndoKind>(k)), texts[k]);
    EXPECT_EQ(undoKindOfFlags(0x0006), ukDelete);
    EXPECT_EQ(undoKindOfFlags(0x2000), ukNone);
}

TEST(HexUndoStorage, MaxUndoDropsOldestRecords) {
    LoadedCore f(sequence(64));
    f.SetMaxUndo(100);
    // Changes of seven bytes make 40-byte records.
    for (int i = 0; i < 3; ++i)
        f.CreateUndo(ukChange, i, 7, 0, "");
    EXPECT_EQ(f.UndoStorage().Count(), 3); // 80 bytes were not more than 100
    EXPECT_EQ(f.UndoStorage().bytes().size(), 120u);
    f.CreateUndo(ukChange, 3, 7, 0, "");
    EXPECT_EQ(f.UndoStorage().Count(), 3); // the oldest went before the fourth
    const auto first = f.UndoStorage().readRecord(40);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Position, 1);
}

TEST(HexUndoStorage, UndoRedoRoundTripOverMixedEdits) {
    std::mt19937 random(7);
    LoadedCore e(sequence(40));
    std::vector<std::vector<uint8_t>> states{e.bytes()};
    for (int step = 0; step < 60; ++step) {
        const int op = static_cast<int>(random() % 5);
        const int32_t size = e.DataSize();
        const int32_t pos = size ? static_cast<int32_t>(random() % static_cast<uint32_t>(size)) : 0;
        const uint8_t buffer[5] = {0xA0, 0xA1, 0xA2, 0xA3, static_cast<uint8_t>(step)};
        const int32_t n = 1 + static_cast<int32_t>(random() % 5);
        if (op == 0)
            e.InsertBuffer(buffer, n, pos, "", true);
        else if (op == 1)
            e.AppendBuffer(buffer, n, "", false);
        else if (op == 2 && size > 2) {
            e.SetSelStart(pos);
            e.SetSelEnd(std::min(size - 1, pos + 2));
            e.ReplaceSelection(buffer, n, "", true);
        } else if (op == 3 && size > 2) {
            e.SetSelStart(pos);
            e.SetSelEnd(std::min(size - 1, pos + 1));
            e.DeleteSelection("");
        } else if (size > 0) {
            caretTo(e, pos);
            e.KeyPress(u'F');
        } else
            continue;
        if (e.bytes() != states.back())
            states.push_back(e.bytes());
        else if (e.UndoStorage().Count() + 1 == static_cast<int32_t>(states.size()))
            continue;
        else
            states.push_back(e.bytes());
    }
    ASSERT_EQ(static_cast<size_t>(e.UndoStorage().Count()) + 1, states.size());
    // Undo everything, checking each state; redo one step at every level.
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_EQ(e.bytes(), states[i]) << i;
        e.Undo();
        ASSERT_EQ(e.bytes(), states[i - 1]) << i;
        ASSERT_TRUE(e.CanRedo());
        e.Redo();
        ASSERT_EQ(e.bytes(), states[i]) << i;
        e.Undo();
    }
    EXPECT_EQ(e.bytes(), states[0]);
    EXPECT_FALSE(e.CanUndo());
}

TEST(HexUndoStorage, UndoRestoresStateAndDescription) {
    LoadedCore e(sequence(32));
    caretTo(e, 3);
    e.KeyPress(u'7');
    const uint8_t two[2] = {1, 2};
    e.InsertBuffer(two, 2, 10, "mine", true);
    EXPECT_EQ(e.UndoDescription(), "mine");
    EXPECT_TRUE(e.Modified());
    e.Undo();
    EXPECT_EQ(e.UndoDescription(), "Change byte(s)");
    EXPECT_EQ(e.DataSize(), 32);
    EXPECT_EQ(e.CaretPosition(), 3);
    EXPECT_TRUE(e.IsSecondNibbleCell(e.CaretCol()));
    e.Undo();
    EXPECT_EQ(e.GetData(3), 3);
    EXPECT_FALSE(e.Modified());
    EXPECT_FALSE(e.IsChanged(3));
    EXPECT_EQ(e.CaretPosition(), 3);
    EXPECT_EQ(e.UndoDescription(), "");
    e.Redo();
    EXPECT_EQ(e.GetData(3), 0x73);
    EXPECT_TRUE(e.IsChanged(3));
    EXPECT_EQ(e.UndoDescription(), "Change byte(s)");
}

TEST(HexUndoStorage, BookmarksFollowInsertUndoAndRedo) {
    LoadedCore e(sequence(16));
    e.SetBookmark(1, 2, false);
    const uint8_t four[4] = {9, 9, 9, 9};
    e.InsertBuffer(four, 4, 2, "", false);
    EXPECT_EQ(e.Bookmark(1).Position, 6);
    e.Undo();
    EXPECT_EQ(e.Bookmark(1).Position, 2);
    e.Redo();
    EXPECT_EQ(e.Bookmark(1).Position, 6);
    // A bookmark moved past the old end of the data is kept.
    e.SetBookmark(0, 15, false);
    const auto eight = sequence(8);
    e.InsertBuffer(eight.data(), 8, 0, "", false);
    EXPECT_EQ(e.Bookmark(0).Position, 23);
}

TEST(HexUndoStorage, NibbleRecordsUndoAndRedo) {
    // The data after a nibble went in at byte 1 of 12 34 56; the record keeps the byte at 1 (03).
    LoadedCore g({0x12, 0x03, 0x45, 0x60});
    g.CreateUndo(ukNibbleInsert, 1, 0, 0, "");
    g.Undo();
    EXPECT_EQ(g.bytes(), (std::vector<uint8_t>{0x12, 0x03, 0x56}));
    g.Redo();
    EXPECT_EQ(g.bytes(), (std::vector<uint8_t>{0x12, 0x03, 0x45, 0x60}));

    // Deleting a nibble at byte 0 of AB CD turned it into BC D0; undo shifts right and puts AB back.
    LoadedCore d({0xBC, 0xD0});
    d.CreateUndo(ukNibbleDelete, 0, 0, 0, "");
    d.Undo();
    EXPECT_EQ(d.bytes(), (std::vector<uint8_t>{0xBC, 0xCD}));
}

TEST(HexUndoStorage, AllDataSavedRestoresWholeBuffer) {
    LoadedCore f(sequence(8));
    f.CreateUndo(ukAllDataSaved, 0, 0, 0, "");
    f.SetData(0, 0xEE);
    f.Undo();
    EXPECT_EQ(f.bytes(), sequence(8));
    f.Redo();
    EXPECT_EQ(f.GetData(0), 0xEE);
}

TEST(HexUndoStorage, UpdateCountSuppressesRecords) {
    LoadedCore e(sequence(8));
    e.UndoBeginUpdate();
    caretTo(e, 0);
    e.KeyPress(u'A');
    EXPECT_EQ(e.UndoStorage().Count(), 0);
    EXPECT_TRUE(e.Modified());
    EXPECT_FALSE(e.CanUndo());
    e.UndoEndUpdate();
    e.UndoEndUpdate(); // never below zero
    caretTo(e, 1);
    e.KeyPress(u'A');
    EXPECT_EQ(e.UndoStorage().Count(), 1);
}
