// Memory streams filled from WAVE resources of a module loaded as a data file:
// the same fixture files load through the system's loader on Windows and
// through the library's own reader elsewhere.
#include <gtest/gtest.h>

#include "module/quor.h"
#include "platform/fault.h"
#include "platform/win32.h"
#include "streams/mem_obj_inspector.h"
#include "tests/support/files.h"
#include "tests/support/pe_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using quor::test::Pattern;
using quor::test::PeContents;

class MemObjResource : public ::testing::Test {
protected:
    void SetUp() override {
        PeContents contents;
        contents.resources = {
            {std::string("WAVE"), std::string("CLICK"), Pattern(300)},
            {std::string("WAVE"), uint16_t(7), "numbered"},
            {std::string("WAVE"), std::string("SILENT"), ""},
            {std::string("DATA"), std::string("OTHER"), "not a wave"},
        };
        const std::string path = m_dir.Path("sounds.dll");
        quor::test::WritePe(path, contents);
        m_module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr) << GetLastError();
    }
    void TearDown() override {
        quor::fault::Reset();
        if (m_module != nullptr) FreeLibrary(m_module);
    }

    static std::string ReadAll(CMemObj& stream) {
        stream.Seek(0, SEEK_SET);
        std::string bytes(static_cast<size_t>(stream.Size()) + 8, '\0');
        bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<LONG>(bytes.size()))));
        return bytes;
    }

    quor::test::TempDir m_dir;
    HMODULE m_module = nullptr;
};

TEST_F(MemObjResource, CopiesANamedResource) {
    CMemObj stream;
    char name[] = "click";  // names are found whatever their case
    ASSERT_EQ(stream.OpenResource(m_module, name), 1);
    EXPECT_EQ(stream.Type(), 3);
    EXPECT_EQ(stream.IsOpen(), 1);
    EXPECT_EQ(stream.Size(), 300);
    EXPECT_EQ(stream.GetDataStart(), 0);
    EXPECT_EQ(stream.WriteMode(), 0);
    // The stream holds its own copy: it outlives the module.
    FreeLibrary(m_module);
    m_module = nullptr;
    EXPECT_EQ(ReadAll(stream), Pattern(300));
}

TEST_F(MemObjResource, FindsANumberedResource) {
    CMemObj stream;
    ASSERT_EQ(stream.OpenResource(m_module, MAKEINTRESOURCEA(7)), 1);
    EXPECT_EQ(ReadAll(stream), "numbered");
    char byNumber[] = "#7";
    CMemObj again;
    ASSERT_EQ(again.OpenResource(m_module, byNumber), 1);
    EXPECT_EQ(ReadAll(again), "numbered");
}

TEST_F(MemObjResource, MissingEmptyOrOtherTypeLeavesTheStreamAlone) {
    for (const char* missing : {"ABSENT", "SILENT", "OTHER"}) {
        CMemObj stream;
        std::string name = missing;
        EXPECT_EQ(stream.OpenResource(m_module, name.data()), 0) << missing;
        EXPECT_EQ(stream.Type(), 0) << missing;
        EXPECT_EQ(stream.Size(), 0) << missing;
    }
}

TEST_F(MemObjResource, ReplacesEarlierBlocks) {
    CMemObj stream;
    stream.Create();
    stream.Write(const_cast<char*>("earlier"), 7);
    stream.Write(const_cast<char*>("bytes"), 5);
    ASSERT_EQ(stream.OpenResource(m_module, MAKEINTRESOURCEA(7)), 1);
    EXPECT_EQ(quor::MemObjInspector::Blocks(stream), (std::vector<quor::BlockShape>{{8, 0}}));
    EXPECT_EQ(ReadAll(stream), "numbered");
}

TEST_F(MemObjResource, FailedAllocationLeavesTheStreamUnchanged) {
    CMemObj stream;
    stream.Create();
    stream.Write(const_cast<char*>("kept"), 4);
    char name[] = "CLICK";
    for (int nth = 1; nth <= 2; ++nth) {
        quor::fault::FailNth(quor::fault::Site::Alloc, nth);
        EXPECT_EQ(stream.OpenResource(m_module, name), 0) << nth;
        EXPECT_EQ(stream.Type(), 2) << nth;
        EXPECT_EQ(ReadAll(stream), "kept") << nth;
    }
}

}  // namespace
