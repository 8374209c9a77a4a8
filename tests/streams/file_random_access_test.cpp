// Random reads, writes and seeks on a file stream against a model of its
// bytes: whatever the runtime buffers, every byte read is the byte last
// written there, and every position is where the model says.
#include <random>

#include "tests/streams/file_fixture.h"

namespace {

using quor::test::FileStreamTest;
using quor::test::Pattern;
using quor::test::ReadFile;

TEST_F(FileStreamTest, RandomAccessAgreesWithAModel) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        const bool writable = seed % 3 != 0;
        std::string model = Pattern(70000 + seed * 1000);
        const std::string path = MakeFile(model.size(), "random" + std::to_string(seed) + ".bin");
        CFileObj stream;
        ASSERT_EQ(stream.Open(path.c_str(), 0, writable ? 1 : 0), 1);
        LONG position = 0;
        auto pick = [&](unsigned n) { return static_cast<LONG>(random() % n); };
        for (int step = 0; step < 3000; ++step) {
            const LONG size = static_cast<LONG>(model.size());
            const int what = pick(writable ? 6 : 4);
            if (what == 0) {  // absolute seek, often just behind the position
                const LONG target = pick(2) ? position - pick(2048) : pick(static_cast<unsigned>(size + 1));
                const int expected = target >= 0 && target <= size;
                ASSERT_EQ(stream.Seek(target, SEEK_SET), expected) << seed << ":" << step;
                if (expected) position = target;
            } else if (what == 1) {  // relative seek within the file
                const LONG step2 = pick(6000) - 3000;
                if (position + step2 < 0 || position + step2 > size) continue;
                ASSERT_EQ(stream.Seek(step2, SEEK_CUR), 1) << seed << ":" << step;
                position += step2;
            } else if (what <= 3) {  // reads of any size, across buffer ends
                const LONG count = pick(what == 2 ? 64 : 5000);
                std::string got(static_cast<size_t>(count), '\0');
                const LONG n = stream.Read(got.data(), count);
                const LONG expected = std::min(count, size - position);
                ASSERT_EQ(n, expected < 0 ? 0 : expected) << seed << ":" << step;
                got.resize(static_cast<size_t>(n));
                ASSERT_EQ(got, model.substr(static_cast<size_t>(position), static_cast<size_t>(n)))
                    << seed << ":" << step;
                position += n;
            } else {  // writes, in place or growing the file
                const std::string bytes(static_cast<size_t>(pick(3000)), static_cast<char>('A' + pick(26)));
                ASSERT_EQ(stream.Write(const_cast<char*>(bytes.data()), static_cast<LONG>(bytes.size())),
                          static_cast<LONG>(bytes.size()))
                    << seed << ":" << step;
                if (position + bytes.size() > model.size()) model.resize(position + bytes.size());
                model.replace(static_cast<size_t>(position), bytes.size(), bytes);
                position += static_cast<LONG>(bytes.size());
            }
            ASSERT_EQ(stream.Tell(), position) << seed << ":" << step;
            ASSERT_EQ(stream.Size(), static_cast<LONG>(model.size())) << seed << ":" << step;
        }
        stream.Close();
        ASSERT_EQ(ReadFile(path), model) << seed;
    }
}

}  // namespace
