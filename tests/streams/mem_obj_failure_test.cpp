// Every allocation a memory stream makes can fail: each scenario is run again
// and again, failing its 1st, 2nd, 3rd ... allocation until a run fails none,
// and every failure must be reported cleanly with nothing leaked (the leak
// checker of the sanitizer build watches the whole run).
#include <gtest/gtest.h>

#include <functional>

#include "module/quor.h"
#include "platform/fault.h"
#include "streams/mem_obj_inspector.h"
#include "tests/support/files.h"

namespace {

using quor::fault::Site;
using quor::test::Pattern;

// Runs `scenario` with the nth allocation failing, n = 1, 2, ..., until a run
// in which no allocation failed; returns the number of runs.
int FailEachAllocation(const std::function<void()>& scenario) {
    for (int nth = 1; nth < 1000; ++nth) {
        quor::fault::FailNth(Site::Alloc, nth);
        scenario();
        const bool failed = quor::fault::Fired(Site::Alloc);
        quor::fault::Reset();
        if (!failed) return nth;
    }
    ADD_FAILURE() << "the scenario never ran without an injected failure";
    return 0;
}

std::string ReadAll(CMemObj& stream) {
    stream.Seek(0, SEEK_SET);
    std::string bytes(static_cast<size_t>(stream.Size()) + 8, '\0');
    bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<LONG>(bytes.size()))));
    return bytes;
}

TEST(MemObjFailure, WriteStopsAtTheBytesStored) {
    const std::string data = Pattern(400);
    const int runs = FailEachAllocation([&] {
        CMemObj stream;
        stream.Create();
        LONG accepted = 0;
        for (int piece = 0; piece < 8; ++piece) {
            const LONG got = stream.Write(const_cast<char*>(data.data()) + accepted, 50);
            EXPECT_GE(got, 0);
            accepted += got;
            if (got < 50) break;
        }
        EXPECT_EQ(stream.Tell(), accepted);
        EXPECT_EQ(stream.Size(), accepted);
        EXPECT_EQ(ReadAll(stream), data.substr(0, static_cast<size_t>(accepted)));
    });
    EXPECT_GT(runs, 8);  // each block costs at least a buffer and a record
}

TEST(MemObjFailure, OpenLeavesTheStreamUnchanged) {
    const std::string first = Pattern(30);
    const std::string second = Pattern(70);
    FailEachAllocation([&] {
        CMemObj stream;
        const int opened = stream.Open(reinterpret_cast<unsigned char*>(const_cast<char*>(first.data())), 30);
        if (!opened) {
            EXPECT_EQ(stream.Type(), 0);
            EXPECT_EQ(stream.Size(), 0);
            EXPECT_TRUE(quor::MemObjInspector::Blocks(stream).empty());
            return;
        }
        const int reopened = stream.Open(reinterpret_cast<unsigned char*>(const_cast<char*>(second.data())), 70);
        EXPECT_EQ(ReadAll(stream), reopened ? second : first);
    });
}

TEST(MemObjFailure, CopiesReportAFailedBlock) {
    CMemObj source;
    source.Create();
    const std::string data = Pattern(64);
    for (int i = 0; i < 4; ++i) source.Write(const_cast<char*>(data.data()) + 16 * i, 16);
    FailEachAllocation([&] {
        CMemObj constructed(source);
        const auto blocks = quor::MemObjInspector::Blocks(constructed);
        if (!blocks.empty()) {
            EXPECT_EQ(ReadAll(constructed), data);
        }
        EXPECT_EQ(constructed.Size(), 64);  // the source's size, block or not

        CRefObj* copy = source.Copy();
        if (copy != nullptr) {
            EXPECT_EQ(ReadAll(*static_cast<CMemObj*>(copy)), data);
            DeleteRefObject(&copy);
        }

        CMemObj assigned;
        assigned = source;
        if (!quor::MemObjInspector::Blocks(assigned).empty()) {
            EXPECT_EQ(ReadAll(assigned), data);
        }
    });
}

}  // namespace
