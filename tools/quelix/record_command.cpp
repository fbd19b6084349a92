// SPDX-License-Identifier: MIT
#include "quelix/record_command.h"

#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "QuelixPlatform.h"
#include "QuelixSdk_205KWMX.h"
#include "quelix/camera_session.h"

namespace quelix::tool {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kAviHeaderBytes = 232;
constexpr double kBytesPerMegabyte = 1e6;

// The library writes the file under a temporary name beside the target,
// "TARGET.XXXXXXXX.part", and renames it into place when it is finished.
std::set<fs::path> StagedFiles(const fs::path& target)
{
    std::set<fs::path> files;
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string prefix = target.filename().string() + ".";
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() + 5 && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - 5, 5, ".part") == 0)
            files.insert(it->path());
    }
    return files;
}

uint32_t ReadU32(const unsigned char* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// The frame count and rate of a finished recording, from its headers.
struct AviSummary {
    uint32_t frames = 0;
    double framesPerSecond = 0;
};

std::optional<AviSummary> ReadAviSummary(const fs::path& file)
{
    unsigned char header[kAviHeaderBytes] = {};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) ||
        std::string_view(reinterpret_cast<char*>(header), 4) != "RIFF" ||
        std::string_view(reinterpret_cast<char*>(header) + 8, 4) != "AVI ")
        return std::nullopt;
    const uint32_t scale = ReadU32(header + 128);
    const uint32_t rate = ReadU32(header + 132);
    return AviSummary{ReadU32(header + 48), scale != 0 ? static_cast<double>(rate) / scale : 0.0};
}

const char* ErrorMeaning(long code)
{
    switch (code) {
        case QUELIX_ERR_FILE:
            return "the file could not be written (full disk, or the 4 GiB limit of the format)";
        case QUELIX_ERR_WAIT_FRAME:
            return "the camera stopped sending frames";
        case QUELIX_ERR_READ_FRAME:
            return "a frame could not be read";
        default:
            return "camera error";
    }
}

// The identity of a file: a file renamed into place has another inode than
// the one it replaced.
ino_t InodeOf(const fs::path& file)
{
    struct stat status {};
    return stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
}

}  // namespace

std::string RecordUsage()
{
    return "usage: quelix record -o FILE [--seconds S] [options]\n"
           "Records the processed frames into an uncompressed AVI file (24-bit, every\n"
           "frame the camera pipeline finishes) and prints, once a second, the frames\n"
           "written and the megabytes on disk. Ctrl-C or a lost camera ends the\n"
           "recording early; the file is finished either way.\n"
           "\n"
           "  -o, --output FILE the AVI file to write (replaced when it exists)\n"
           "  --seconds S       record for S seconds from the first frame (default: until Ctrl-C)\n" +
           CameraOptionsUsage() + "  --help            this text\n";
}

std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& arguments, std::string& error)
{
    RecordOptions options;
    std::vector<std::string> cameraArguments;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "-o" || argument == "--output" || argument == "--seconds";
        if (takesValue && i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "-o" || argument == "--output") {
            options.output = arguments[++i];
        } else if (argument == "--seconds") {
            const std::string& value = arguments[++i];
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 ||
                seconds * 1000 > INT32_MAX - 1) {
                error = "--seconds takes a time from 0 to 2147483 seconds";
                return std::nullopt;
            }
            options.milliseconds = static_cast<int32_t>(std::llround(seconds * 1000));
        } else {
            cameraArguments.push_back(argument);
        }
    }
    const auto camera = ParseStreamOptions(cameraArguments, error);
    if (!camera)
        return std::nullopt;
    if (camera->frames != 0) {
        error = "record takes --seconds rather than --frames";
        return std::nullopt;
    }
    if (camera->latency) {
        error = "--latency is an option of quelix stream";
        return std::nullopt;
    }
    if (options.output.empty()) {
        error = "record needs the file to write: -o FILE";
        return std::nullopt;
    }
    options.camera = *camera;
    return options;
}

int RunRecord(const RecordOptions& options)
{
    CameraSession session;
    if (!session.Open(options.camera, true))
        return 1;
    const int32_t camera = session.Camera();
    const uint64_t chunkBytes = uint64_t{(3u * static_cast<uint32_t>(session.Width()) + 3u) & ~3u} *
                                    static_cast<uint32_t>(session.Height()) +
                                8;

    const fs::path target(options.output);
    const std::set<fs::path> earlier = StagedFiles(target);
    const ino_t replaced = InodeOf(target);
    CatchInterrupts();
    if (!Quelix_Record(camera, options.output.c_str(), options.milliseconds,
                       options.camera.showWindow ? 1 : 0)) {
        const int32_t code = Quelix_GetLastError(camera);
        std::fprintf(stderr, "quelix: cannot record to %s (error %d)%s\n", options.output.c_str(), code,
                     code == QUELIX_ERR_FILE ? ": does its directory exist, and may it be written?" : "");
        return 1;
    }
    fs::path staged;
    for (const fs::path& file : StagedFiles(target)) {
        if (earlier.count(file) == 0)
            staged = file;
    }

    int exitCode = 0;
    bool streamLost = false;
    const auto handleMessage = [&](const QUELIX_MSG& msg) {
        if (msg.message != QUELIX_WM_ERROR)
            return;
        const long code = static_cast<long>(msg.lParam);
        std::fprintf(stderr, "quelix: error %ld: %s\n", code, ErrorMeaning(code));
        exitCode = 1;
        streamLost = streamLost || code == QUELIX_ERR_WAIT_FRAME || code == QUELIX_ERR_READ_FRAME;
    };
    const auto start = std::chrono::steady_clock::now();
    auto lastReport = start;
    const auto ended = [&] {
        // The library renames the finished file into place. Should the
        // staged file not be found, the end is the time asked for.
        std::error_code error;
        if (!staged.empty())
            return !fs::exists(staged, error);
        return std::chrono::steady_clock::now() - start >
               std::chrono::milliseconds(int64_t{options.milliseconds}) + std::chrono::seconds(2);
    };
    while (!Interrupted() && !streamLost && !ended()) {
        QUELIX_MSG msg{};
        if (QuelixPlatform_GetMessage(session.Window(), &msg, 100) == 1)
            handleMessage(msg);
        if (const auto now = std::chrono::steady_clock::now(); now - lastReport >= std::chrono::seconds(1)) {
            std::error_code error;
            const uint64_t bytes = staged.empty() ? 0 : fs::file_size(staged, error);
            if (!error) {
                std::printf("%7.1f s  frames %7llu  %9.1f MB\n",
                            std::chrono::duration<double>(now - start).count(),
                            static_cast<unsigned long long>(
                                bytes > kAviHeaderBytes ? (bytes - kAviHeaderBytes) / chunkBytes : 0),
                            bytes / kBytesPerMegabyte);
                std::fflush(stdout);
            }
            lastReport = now;
        }
    }
    // Ends the preview, and the recording when it still runs: its file is finished.
    Quelix_StopPreview(camera);
    for (QUELIX_MSG msg{}; QuelixPlatform_PeekMessage(session.Window(), &msg) == 1;)
        handleMessage(msg);

    std::error_code error;
    const auto summary = ReadAviSummary(target);
    const uint64_t bytes = fs::file_size(target, error);
    if (!summary || error || InodeOf(target) == replaced) {
        std::fprintf(stderr, "quelix: no recording was kept in %s\n", options.output.c_str());
        return 1;
    }
    std::printf("recorded %u frames at %.2f fps, %.1f MB: %s\n", summary->frames, summary->framesPerSecond,
                bytes / kBytesPerMegabyte, options.output.c_str());
    // A recording cannot go on in a finished file, and a new one under the
    // same name would replace it: the frames up to the loss are kept.
    if (streamLost)
        std::fprintf(stderr,
                     "quelix: the camera was lost; the recording ends with the frames before the loss\n");
    return exitCode;
}

}  // namespace quelix::tool
