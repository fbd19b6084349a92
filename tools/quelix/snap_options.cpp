// SPDX-License-Identifier: MIT
#include "quelix/snap_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>

#include "QuelixSdk_205KWMX.h"

namespace quelix::tool {

namespace {

struct FormatName {
    const char* name;
    int code;
};

constexpr FormatName kFormats[] = {
    {"bmp", QUELIX_IMAGE_BMP},       {"raw", QUELIX_IMAGE_RAW},       {"jpeg", QUELIX_IMAGE_JPEG100},
    {"jpeg70", QUELIX_IMAGE_JPEG70}, {"jpeg20", QUELIX_IMAGE_JPEG20}, {"png", QUELIX_IMAGE_PNG},
    {"tiff", QUELIX_IMAGE_TIFF},
};

// File extensions and the format names they stand for.
constexpr std::pair<const char*, const char*> kExtensions[] = {
    {".bmp", "bmp"}, {".raw", "raw"},  {".jpg", "jpeg"},  {".jpeg", "jpeg"},
    {".png", "png"}, {".tif", "tiff"}, {".tiff", "tiff"},
};

bool SetFormat(const std::string& name, SnapOptions& options)
{
    const auto* found = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const FormatName& format) { return name == format.name; });
    if (found == std::end(kFormats))
        return false;
    options.format = found->code;
    options.formatName = found->name;
    return true;
}

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string SnapUsage()
{
    return "usage: quelix snap -o FILE [options]\n"
           "Starts the preview, lets a few frames pass so that exposure and settings\n"
           "settle, and saves the next frame as an image file.\n"
           "\n"
           "  -o FILE           the file to write (replaced when it exists)\n"
           "  --format F        bmp, raw, jpeg (quality 100), jpeg70, jpeg20, png or tiff;\n"
           "                    without it the format follows FILE's extension\n"
           "                    (.bmp .raw .jpg .jpeg .png .tif .tiff)\n"
           "  --skip N          frames to let pass first (default 5)\n" +
           CameraOptionsUsage() + "  --help            this text\n";
}

std::optional<SnapOptions> ParseSnapOptions(const std::vector<std::string>& arguments, std::string& error)
{
    SnapOptions options;
    bool formatGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const OptionMatch match = ParseCameraOption(arguments, i, options, error);
        if (match == OptionMatch::Bad)
            return std::nullopt;
        if (match == OptionMatch::Taken)
            continue;
        const std::string& argument = arguments[i];
        if ((argument == "-o" || argument == "--format" || argument == "--skip") &&
            i + 1 == arguments.size()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        if (argument == "-o") {
            options.output = arguments[++i];
        } else if (argument == "--format") {
            if (!SetFormat(arguments[++i], options)) {
                error = "--format takes bmp, raw, jpeg, jpeg70, jpeg20, png or tiff";
                return std::nullopt;
            }
            formatGiven = true;
        } else if (argument == "--skip") {
            if (!ParseLong(arguments[++i], 0, 1000000, options.skip)) {
                error = "--skip takes a number of frames from 0 to 1000000";
                return std::nullopt;
            }
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    if (options.output.empty()) {
        error = "snap needs -o FILE";
        return std::nullopt;
    }
    if (!formatGiven) {
        const std::string extension = Lowercase(std::filesystem::path(options.output).extension().string());
        const auto* found = std::find_if(std::begin(kExtensions), std::end(kExtensions),
                                         [&](const auto& entry) { return extension == entry.first; });
        if (found == std::end(kExtensions)) {
            error = "cannot tell the format from the name " + options.output + "; give --format";
            return std::nullopt;
        }
        SetFormat(found->second, options);
    }
    return options;
}

}  // namespace quelix::tool
