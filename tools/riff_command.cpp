// quor riff: the chunk tree of a RIFF file as the engine walks it, as text or
// as JSON, or the data of the first chunk with a given id.
#include <cstdio>
#include <string>
#include <vector>

#include <quor.h>

#include "platform/console.h"
#include "tools/commands.h"

namespace quor::tool {
namespace {

struct RiffOptions {
    std::string path;
    bool json = false;
    std::string extract;  // empty: print the tree
};

struct ChunkNode {
    ULONG id = 0;
    LONG offset = 0;
    LONG size = 0;
    bool level = false;  // RIFF or LIST: carries a type and children
    ULONG type = 0;
    std::vector<ChunkNode> children;
};

std::string CodeText(ULONG code) {
    std::string text;
    for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>((code >> (8 * i)) & 0xFF));
    return text;
}

ULONG CodeOf(std::string text) {
    text.resize(4, ' ');
    ULONG code = 0;
    for (int i = 3; i >= 0; --i) code = code << 8 | static_cast<unsigned char>(text[static_cast<size_t>(i)]);
    return code;
}

bool IsList(ULONG id) { return id == CodeOf("LIST"); }

// Walks a RIFF through the engine, keeping track of where each chunk starts.
class Walker {
public:
    explicit Walker(CRIFF& riff) : m_riff(riff) {}

    // Fills `level` with the chunks of the current level; false (with
    // `error` set) when the walk could not go on.
    bool WalkLevel(ChunkNode& level, LONG levelStart, int depth) {
        if (m_riff.SeekToLevelBeginning() == 0) return Stop("the level's first chunk header cannot be read");
        const int64_t end = int64_t(levelStart) + 8 + m_riff.GetMasterChunk()->size;
        for (;;) {
            _chunkInfo master{};
            _subChunk sub{};
            m_riff.GetCurrentChunkInfo(&master, &sub);
            ChunkNode node;
            node.id = sub.id;
            node.size = sub.size;
            node.offset = m_riff.GetRefObj()->Tell() - 8;
            if (IsList(sub.id) && !WalkList(node, depth)) {
                level.children.push_back(std::move(node));
                return false;
            }
            level.children.push_back(std::move(node));
            const ChunkNode& last = level.children.back();
            const int64_t next = int64_t(last.offset) + 8 + last.size;
            SetLastError(0);
            if (m_riff.SeekToNextChunk() == 1) continue;
            const DWORD why = GetLastError();
            if (why == 0 && next == end) return true;  // the level's end
            // A last chunk of the level without data is not stepped onto: jump to it.
            if (last.size >= 0 && next + 8 == end && m_riff.SeekToChunkAtOffset(static_cast<LONG>(next)) == 1) continue;
            return Stop(why == ERR_RIFF_OUT_OF_BOUNDS ? "a chunk runs past the end of its level"
                                                      : "the file ends inside a chunk header");
        }
    }

    const std::string& Error() const { return m_error; }

private:
    bool WalkList(ChunkNode& node, int depth) {
        node.level = true;
        char type[4] = {};
        if (node.size < 4 || m_riff.ReadCurrentSubChunk(type, 4) != 4)
            return Stop("a LIST is too short to hold its type");
        node.type = CodeOf(std::string(type, 4));
        if (node.size == 4) return true;  // no children
        if (m_riff.Descend() == 0) {
            return Stop(GetLastError() == ERR_RIFF_TOO_DEEP ? "LIST chunks nest deeper than 49 levels"
                                                            : "a LIST header cannot be read");
        }
        const bool whole = WalkLevel(node, node.offset, depth + 1);
        if (m_riff.Ascend() == 0) return Stop("the enclosing level cannot be read again");
        return whole;
    }

    bool Stop(const char* why) {
        if (m_error.empty()) m_error = why;
        return false;
    }

    CRIFF& m_riff;
    std::string m_error;
};

void PrintText(const ChunkNode& node, int depth) {
    std::string id;
    for (char c : CodeText(node.id)) id += (c >= 32 && c < 127) ? c : '.';
    std::printf("%10ld  %*s%s  %ld", static_cast<long>(node.offset), 2 * depth, "", id.c_str(),
                static_cast<long>(node.size));
    if (node.level) {
        std::string type;
        for (char c : CodeText(node.type)) type += (c >= 32 && c < 127) ? c : '.';
        std::printf("  %s", type.c_str());
    }
    std::printf("\n");
    for (const ChunkNode& child : node.children) PrintText(child, depth + 1);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void PrintJson(const ChunkNode& node) {
    std::printf("{\"id\":%s,\"offset\":%ld,\"size\":%ld", JsonString(CodeText(node.id)).c_str(),
                static_cast<long>(node.offset), static_cast<long>(node.size));
    if (node.level) {
        std::printf(",\"type\":%s,\"chunks\":[", JsonString(CodeText(node.type)).c_str());
        for (size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0) std::printf(",");
            PrintJson(node.children[i]);
        }
        std::printf("]");
    }
    std::printf("}");
}

// The first chunk with `id`, depth first; its data written to standard output.
const ChunkNode* FindFirst(const ChunkNode& node, ULONG id) {
    for (const ChunkNode& child : node.children) {
        if (child.id == id) return &child;
        if (const ChunkNode* found = FindFirst(child, id)) return found;
    }
    return nullptr;
}

int Extract(CRefObj& stream, const ChunkNode& root, const std::string& idText) {
    const ChunkNode* chunk = FindFirst(root, CodeOf(idText));
    if (chunk == nullptr) {
        std::fprintf(stderr, "quor riff: no chunk \"%s\" in the file\n", idText.c_str());
        return 1;
    }
    if (stream.Seek(chunk->offset + 8, SEEK_SET) == 0) return 1;
    console::BinaryStdout();
    std::vector<char> buffer(64 * 1024);
    LONG left = chunk->size;
    while (left > 0) {
        const LONG want = left < LONG(buffer.size()) ? left : LONG(buffer.size());
        const LONG got = stream.Read(buffer.data(), want);
        if (got <= 0) {
            std::fprintf(stderr, "quor riff: the file ends inside chunk \"%s\"\n", idText.c_str());
            return 1;
        }
        std::fwrite(buffer.data(), 1, static_cast<size_t>(got), stdout);
        left -= got;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunRiff(const RiffOptions& options) {
    CFileObj stream;
    if (!stream.Open(options.path.c_str(), 0, 0)) {
        std::fprintf(stderr, "quor riff: cannot open %s\n", options.path.c_str());
        return 1;
    }
    CRIFF riff;
    _chunkInfo info{};
    ChunkNode root;
    root.level = true;
    std::string error;
    if (riff.Open(&stream, &info) == 0) {
        error = GetLastError() == ERR_RIFF_CHUNK_READ ? "the RIFF holds no whole chunk header" : "not a RIFF file";
    } else {
        root.id = info.id;
        root.size = riff.GetMasterChunk()->size;
        root.type = info.formType;
        Walker walker(riff);
        if (!walker.WalkLevel(root, 0, 0)) error = walker.Error();
    }
    if (!options.extract.empty() && error.empty()) return Extract(stream, root, options.extract);
    if (root.id != 0) {
        if (options.json) {
            PrintJson(root);
            std::printf("\n");
        } else {
            PrintText(root, 0);
        }
    }
    std::fflush(stdout);
    if (!error.empty()) {
        std::fprintf(stderr, "quor riff: %s: %s\n", options.path.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

void AddRiffCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RiffOptions>();
    CLI::App* riff = app.add_subcommand("riff", "Print the chunk tree of a RIFF file, or extract a chunk's data");
    riff->add_option("FILE", options->path, "RIFF file to read")->required();
    riff->add_flag("--json", options->json, "Print the tree as one JSON object");
    riff->add_option("--extract", options->extract, "Write the data of the first chunk with this id to standard output")
        ->check([](const std::string& id) { return id.empty() || id.size() > 4 ? "an id has 1 to 4 characters" : ""; });
    riff->callback([options, &status] { status = RunRiff(*options); });
}

}  // namespace quor::tool
