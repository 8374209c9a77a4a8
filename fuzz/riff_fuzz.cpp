// The RIFF engine over arbitrary bytes: the input's tail drives a sequence of
// navigation, read and write operations, its head is the stream's content.
// Every sequence must end without a crash, a hang or a sanitizer report.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "module/quor.h"

namespace {

constexpr ULONG kCodes[] = {0x46464952 /*RIFF*/, 0x5453494C /*LIST*/, 0x61746164 /*data*/, 0x20746D66 /*fmt */,
                            0x4F464E49 /*INFO*/};

void Run(CRIFF& riff, FuzzedDataProvider& ops) {
    char buffer[256];
    const int steps = ops.ConsumeIntegralInRange<int>(0, 64);
    for (int i = 0; i < steps && ops.remaining_bytes() > 0; ++i) {
        const ULONG code = kCodes[ops.ConsumeIntegralInRange<size_t>(0, 4)];
        switch (ops.ConsumeIntegralInRange<int>(0, 15)) {
            case 0:
                riff.SeekToNextChunk();
                break;
            case 1:
                riff.SeekToPreviousChunk();
                break;
            case 2:
                riff.SeekToLevelBeginning();
                break;
            case 3:
                riff.SeekToChunk(code, ops.ConsumeBool(), ops.ConsumeBool());
                break;
            case 4:
                riff.SeekToChunkAtOffset(ops.ConsumeIntegral<LONG>());
                break;
            case 5:
                riff.Descend();
                break;
            case 6:
                riff.Ascend();
                break;
            case 7:
                riff.ReadCurrentSubChunk(buffer, ops.ConsumeIntegralInRange<LONG>(-1, sizeof buffer));
                break;
            case 8:
                riff.Read(buffer, ops.ConsumeIntegralInRange<LONG>(-1, sizeof buffer));
                break;
            case 9:
                riff.WriteSubChunk(code, buffer, ops.ConsumeIntegralInRange<LONG>(-1, sizeof buffer));
                break;
            case 10:
                riff.WriteListChunkHeader(code);
                break;
            case 11:
                riff.StartWriteStream(code);
                break;
            case 12:
                riff.WriteStreamData(buffer, ops.ConsumeIntegralInRange<LONG>(-1, sizeof buffer));
                break;
            case 13:
                riff.EndWriteStream();
                break;
            case 14: {
                CRIFF copy(riff);
                copy.SeekToNextChunk();
                riff = copy;
                break;
            }
            default: {
                _chunkInfo master{};
                _subChunk sub{};
                riff.GetCurrentChunkInfo(&master, &sub);
                break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // The operations come from the input's end, so that a seed that is a plain
    // RIFF file keeps its header at the stream's start.
    const size_t opBytes = input.ConsumeIntegralInRange<size_t>(0, 96);
    std::vector<uint8_t> program = input.ConsumeBytes<uint8_t>(opBytes);
    std::vector<uint8_t> content = input.ConsumeRemainingBytes<uint8_t>();
    if (content.empty()) content.push_back(0);

    CMemObj* stream = new CMemObj;
    stream->Open(content.data(), static_cast<ULONG>(content.size()));
    stream->SetWriteMode(program.size() % 2);
    {
        CRIFF riff;
        _chunkInfo info{};
        if (riff.Open(stream, &info) == 1) {
            FuzzedDataProvider ops(program.data(), program.size());
            Run(riff, ops);
        }
    }
    CRefObj* holder = stream;
    DeleteRefObject(&holder);
    return 0;
}
