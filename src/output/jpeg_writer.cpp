// SPDX-License-Identifier: MIT
// JPEG files through libjpeg, written through COutputFile. Fatal encoder
// errors (a failed write among them) return to a recovery point instead of
// ending the process; all encoder state lives in the call.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "output/image_files.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

struct JpegErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
};

void OnJpegFatal(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->recovery, 1);
}

// Compressed bytes gather in a block and go to the output file whenever it
// fills; a failed write is a fatal encoder error.
struct JpegSink {
    jpeg_destination_mgr manager;
    COutputFile* file;
    JOCTET block[16384];
};

void StartSink(j_compress_ptr info)
{
    auto* sink = reinterpret_cast<JpegSink*>(info->dest);
    sink->manager.next_output_byte = sink->block;
    sink->manager.free_in_buffer = sizeof sink->block;
}

boolean FlushFullSink(j_compress_ptr info)
{
    auto* sink = reinterpret_cast<JpegSink*>(info->dest);
    if (!sink->file->Write(sink->block, sizeof sink->block))
        ERREXIT(info, JERR_FILE_WRITE);
    StartSink(info);
    return TRUE;
}

void FinishSink(j_compress_ptr info)
{
    auto* sink = reinterpret_cast<JpegSink*>(info->dest);
    if (!sink->file->Write(sink->block, sizeof sink->block - sink->manager.free_in_buffer))
        ERREXIT(info, JERR_FILE_WRITE);
}

// A plain function between the recovery point and the encoder, holding no
// C++ objects that unwinding would skip. The caller destroys `info` either
// way (also after a failed creation).
int Compress(jpeg_compress_struct* info, JpegErrorManager* errors, JpegSink* sink, const CDibImage& image,
             int quality, bool progressive, JSAMPROW* rows)
{
    if (setjmp(errors->recovery))
        return 0;
    jpeg_create_compress(info);
    info->dest = &sink->manager;
    info->image_width = static_cast<JDIMENSION>(image.width);
    info->image_height = static_cast<JDIMENSION>(image.height);
    if (image.bitCount == 8) {
        info->input_components = 1;
        info->in_color_space = JCS_GRAYSCALE;
    } else {
        info->input_components = 3;
        info->in_color_space = JCS_EXT_BGR;
    }
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(info);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height)
        jpeg_write_scanlines(info, rows + info->next_scanline, info->image_height - info->next_scanline);
    jpeg_finish_compress(info);
    return 1;
}

}  // namespace

int WriteJpeg(const std::string& fileName, const CDibImage& image, int quality, int progressive)
{
    if (image.pBits == nullptr || (image.bitCount != 8 && image.bitCount != 24) ||
        image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION)
        return 0;
    // Scanline k of the picture is memory row height - 1 - k.
    std::vector<JSAMPROW> rows(static_cast<size_t>(image.height));
    for (int32_t k = 0; k < image.height; ++k)
        rows[static_cast<size_t>(k)] = image.pBits + static_cast<size_t>(image.height - 1 - k) * image.stride;

    COutputFile file;
    if (!file.OpenForWrite(fileName))
        return 0;
    JpegErrorManager errors{};
    JpegSink sink{};
    sink.file = &file;
    sink.manager.init_destination = StartSink;
    sink.manager.empty_output_buffer = FlushFullSink;
    sink.manager.term_destination = FinishSink;
    jpeg_compress_struct info{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnJpegFatal;
    const int compressed = Compress(&info, &errors, &sink, image, quality, progressive != 0, rows.data());
    jpeg_destroy_compress(&info);
    return compressed && file.Commit() ? 1 : 0;
}

}  // namespace quelix
