#include <gtest/gtest.h>

#include "module/quor.h"

namespace {

TEST(RefObj, DeleteRefObjectDestroysOnlyAtZero) {
    CRefObj* object = new CRefObj;
    EXPECT_EQ(object->References(), 1);
    object->AddReference();
    CRefObj* holder = object;
    DeleteRefObject(&holder);
    EXPECT_EQ(holder, object);  // still alive, pointer kept
    EXPECT_EQ(object->References(), 1);
    DeleteRefObject(&holder);
    EXPECT_EQ(holder, nullptr);

    DeleteRefObject(&holder);  // null pointer: nothing happens
    DeleteRefObject(nullptr);
}

TEST(RefObj, ReleasingMoreThanReferencedDestroysNothing) {
    CRefObj object;
    EXPECT_EQ(object.DecReference(), 0);  // never destroys
    CRefObj* holder = &object;
    DeleteRefObject(&holder);  // count -1: not exactly 0
    EXPECT_EQ(holder, &object);
    EXPECT_EQ(object.References(), -1);
}

TEST(RefObj, CopyConstructionStartsAtOneAssignmentCopiesTheCount) {
    CRefObj source;
    source.AddReference();
    source.AddReference();
    source.SetWriteMode(1);
    source.SetDataMode(1);
    CRefObj copy(source);
    EXPECT_EQ(copy.References(), 1);
    EXPECT_EQ(copy.WriteMode(), 1);
    EXPECT_EQ(copy.DataMode(), 1);
    CRefObj assigned;
    assigned = source;
    EXPECT_EQ(assigned.References(), 3);
    EXPECT_EQ(assigned.WriteMode(), 1);
    EXPECT_EQ(assigned.DataMode(), 1);
}

TEST(RefObj, CopyMakesAPlainObjectWithBothModes) {
    CRefObj source;
    source.SetWriteMode(1);
    source.SetDataMode(1);
    source.AddReference();
    CRefObj* copy = source.Copy();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->References(), 1);
    EXPECT_EQ(copy->WriteMode(), 1);
    EXPECT_EQ(copy->DataMode(), 1);
    EXPECT_EQ(copy->Type(), 0);
    DeleteRefObject(&copy);
    EXPECT_EQ(copy, nullptr);
}

TEST(RefObj, PlainObjectHoldsNothing) {
    CRefObj object;
    char buffer[8] = {};
    CRefObj other;
    EXPECT_EQ(object.Copy(&other), 0);
    EXPECT_EQ(object.IsOpen(), 0);
    object.Close();
    EXPECT_EQ(object.Read(buffer, 8), 0);
    EXPECT_EQ(object.Write(buffer, 8), 0);
    EXPECT_EQ(object.Seek(0, SEEK_SET), 0);
    EXPECT_EQ(object.Tell(), 0);
    EXPECT_EQ(object.Size(), 0);
    EXPECT_EQ(object.Type(), 0);
    EXPECT_EQ(object.SetDataOffsets(0, 10), 0);
    EXPECT_EQ(object.GetDataStart(), 0);
    EXPECT_EQ(object.GetDataEnd(), 0);
    EXPECT_EQ(object.GetVirtualStart(), 0);
    EXPECT_EQ(object.SetVirtualStart(0), 0);
    EXPECT_EQ(object.DataSize(), 0);
    EXPECT_EQ(object.SeekToData(0), 0);
    EXPECT_EQ(object.ReadData(buffer, 8), 0);
    EXPECT_EQ(object.WriteData(buffer, 8, 1), 0);
    object.SetDataMode(7);
    EXPECT_EQ(object.DataMode(), 7);
}

TEST(ErrorCodes, CarryTheApplicationBit) {
    for (DWORD code : {ERR_STREAM_SEEK, ERR_RIFF_HEADER_READ, ERR_STREAM_NOT_READY, ERR_STREAM_ALREADY_OPEN,
                       ERR_COPY_OPEN_FAILED, ERR_RIFF_CHUNK_READ, ERR_RIFF_OUT_OF_BOUNDS, ERR_RIFF_NOT_RIFF,
                       ERR_RIFF_TOO_DEEP, ERR_INTERNET_NOT_OPEN, ERR_NO_DOWNLOAD}) {
        EXPECT_EQ(code & 0x20000000u, 0x20000000u) << std::hex << code;
    }
    EXPECT_EQ(ERR_STREAM_SEEK, 0x20000080u);
    EXPECT_EQ(ERR_NO_DOWNLOAD, 0x20001001u);
}

}  // namespace
