// Random sequences of write operations, then a fresh Open and a full walk:
// every chunk must be found where it was written, with its size and its
// bytes, and every level's size must count exactly its content.
#include <random>

#include "tests/riff/riff_fixture.h"

namespace {

using namespace quor::test;

struct Node {
    ULONG id;
    LONG offset;
    std::string data;  // for a chunk
    bool isList = false;
    ULONG listType = 0;
    std::vector<Node> children;  // for a list
    LONG Size() const {
        if (!isList) return static_cast<LONG>(data.size());
        LONG size = 4;
        for (const Node& child : children) size += 8 + child.Size();
        return size;
    }
};

// Writes a random RIFF with `riff` while building the tree it must hold.
Node WriteRandomRiff(CRIFF& riff, CRefObj* stream, std::mt19937& random) {
    Node root{Code("RAND"), 0, {}, true, Code("RAND"), {}};
    EXPECT_EQ(riff.Create(stream, Code("RAND")), 1);
    std::vector<Node*> open{&root};
    LONG end = 12;
    const ULONG ids[] = {Code("aaaa"), Code("bbbb"), Code("data"), Code("odd ")};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int operations = 5 + pick(40);
    for (int i = 0; i < operations; ++i) {
        const int what = pick(10);
        Node& level = *open.back();
        if (what < 5) {  // a whole chunk, odd sizes included
            std::string data(static_cast<size_t>(pick(40)), '\0');
            for (char& c : data) c = static_cast<char>(pick(256));
            const ULONG id = ids[pick(4)];
            EXPECT_EQ(riff.WriteSubChunk(id, data.data(), static_cast<LONG>(data.size())), 1);
            level.children.push_back({id, end, data});
            end += 8 + static_cast<LONG>(data.size());
        } else if (what < 7 && open.size() < 6) {  // a list, entered
            const ULONG type = ids[pick(4)];
            EXPECT_EQ(riff.WriteListChunkHeader(type), 1);
            EXPECT_EQ(riff.Descend(), 1);
            level.children.push_back({Code("LIST"), end, {}, true, type, {}});
            open.push_back(&level.children.back());
            end += 12;
        } else if (what < 8 && open.size() > 1) {
            EXPECT_EQ(riff.Ascend(), 1);
            open.pop_back();
        } else {  // a streamed chunk in pieces
            EXPECT_EQ(riff.StartWriteStream(Code("strm")), 1);
            std::string data;
            for (int piece = pick(4); piece > 0; --piece) {
                std::string bytes(static_cast<size_t>(pick(30)), static_cast<char>('a' + pick(26)));
                EXPECT_EQ(riff.WriteStreamData(bytes.data(), static_cast<LONG>(bytes.size())),
                          static_cast<LONG>(bytes.size()));
                data += bytes;
            }
            EXPECT_EQ(riff.CurrentStreamDataCount(), static_cast<LONG>(data.size()));
            EXPECT_EQ(riff.EndWriteStream(), 1);
            level.children.push_back({Code("strm"), end, data});
            end += 8 + static_cast<LONG>(data.size());
        }
    }
    if (root.children.empty()) {
        EXPECT_EQ(riff.WriteSubChunk(Code("last"), const_cast<char*>("x"), 1), 1);
        open.back()->children.push_back({Code("last"), end, "x"});
    }
    return root;
}

// Walks the current level of `riff`, which must hold `level`'s children.
void ExpectLevel(CRIFF& riff, const Node& level, const std::string& path) {
    ASSERT_EQ(riff.GetMasterChunk()->size, level.Size()) << path;
    ASSERT_EQ(riff.GetMasterChunk()->formType, level.listType) << path;
    for (size_t i = 0; i < level.children.size(); ++i) {
        const Node& child = level.children[i];
        const std::string where = path + "/" + std::to_string(i);
        if (i == 0) {
            ASSERT_EQ(riff.SeekToLevelBeginning(), 1) << where;
        } else if (i + 1 == level.children.size() && child.Size() == 0) {
            // A level's last chunk without data is never stepped onto.
            SetLastError(0);
            ASSERT_EQ(riff.SeekToNextChunk(), 0) << where;
            ASSERT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS) << where;
            ASSERT_EQ(riff.SeekToChunkAtOffset(child.offset), 1) << where;
        } else {
            ASSERT_EQ(riff.SeekToNextChunk(), 1) << where;
        }
        _chunkInfo master{};
        _subChunk sub{};
        riff.GetCurrentChunkInfo(&master, &sub);
        ASSERT_EQ(sub.id, child.isList ? Code("LIST") : child.id) << where;
        ASSERT_EQ(sub.size, child.Size()) << where;
        ASSERT_EQ(riff.SeekToChunkAtOffset(child.offset), 1) << where;  // it lies where it was written
        if (child.isList) {
            if (child.children.empty()) continue;
            ASSERT_EQ(riff.Descend(), 1) << where;
            ExpectLevel(riff, child, where);
            ASSERT_EQ(riff.Ascend(), 1) << where;
        } else {
            std::string data(child.data.size(), '\0');
            ASSERT_EQ(riff.ReadCurrentSubChunk(data.data(), static_cast<LONG>(data.size())),
                      static_cast<LONG>(data.size()))
                << where;
            ASSERT_EQ(data, child.data) << where;
        }
    }
    ASSERT_EQ(riff.SeekToNextChunk(), 0) << path << ": the level ends after its last chunk";
}

class RiffRoundTrip : public RiffTest {};

TEST_P(RiffRoundTrip, RandomWritesReadBackWhereTheyWereWritten) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        CRefObj* stream = Stream("", true);
        Node root;
        {
            CRIFF writer;
            root = WriteRandomRiff(writer, stream, random);
        }
        ASSERT_EQ(stream->Size(), root.Size() + 8) << "seed " << seed;
        ASSERT_EQ(stream->Seek(0, SEEK_SET), 1);
        {
            CRIFF reader;
            _chunkInfo info{};
            ASSERT_EQ(reader.Open(stream, &info), 1) << "seed " << seed;
            EXPECT_EQ(info.size, root.Size()) << "seed " << seed;
            ExpectLevel(reader, root, "seed " + std::to_string(seed));
        }
        m_streams.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, RiffRoundTrip, ::testing::Values(kFileKind, kMemoryKind), RiffKindName);

}  // namespace
