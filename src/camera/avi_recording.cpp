// SPDX-License-Identifier: MIT
// AVI recording: Record starts the preview when it does not run yet, opens
// the file and starts the record thread. The preview loop queues a copy of
// every frame it finishes (RecordQueue); the thread wakes for each, converts
// it into a bottom-up 24-bit frame and appends it. The recording
// ends when its time is up (counted from the first frame), when it is
// stopped (StopAcquisition, Close, destruction), at the 4 GiB limit of the
// format or on a failed write; in every case the file is finished: index
// written, headers patched with the frame count and the measured rate.
#include <memory>

#include "camera/camera_object.h"
#include "camera/wide_path.h"
#include "image/conversion_kernels.h"
#include "platform/os/clock.h"

namespace quelix {

// How long the record thread waits for a frame before it looks whether the
// recording was stopped (a stop wakes it at once as well).
constexpr int kRecordWakeMs = 100;

// Turns the frames of the colour mode's format into bottom-up 24-bit rows
// through its three buffers, made once per recording.
struct RecordFrameConverter {
    CDibImage a;  // 24-bit
    CDibImage b;  // 24-bit
    CDibImage c;  // 8-bit

    bool Create(const CDibImage& shape)
    {
        return a.Create(shape.width, shape.height, 24) && b.Create(shape.width, shape.height, 24) &&
               c.Create(shape.width, shape.height, 8);
    }

    const uint8_t* Convert(const CDibImage& image)
    {
        switch (image.bitCount) {
            case 8:
                b.Draw(&image, nullptr, 0, 0);
                a.Convert(Bgr24CopyFlip, &b, nullptr, 0, 0);
                return a.pBits;
            case 16:
                c.Convert(Gray16To8Shr6Flip, &image, nullptr, 0, 0);
                a.Draw(&c, nullptr, 0, 0);
                return a.pBits;
            case 48:
            case 64:
                b.Convert(Bgr48To24Flip, &image, nullptr, 0, 0);
                return b.pBits;
            default:
                a.Convert(Bgr24CopyFlip, &image, nullptr, 0, 0);
                return a.pBits;
        }
    }
};

int CQuelix::Record(const char* fileName, int32_t recordTimeMs, int32_t showWindow)
{
    if (fileName == nullptr || *fileName == '\0' || recordTimeMs < 0)
        return Fail(kErrArgument);
    // No stop, close or geometry change runs while the recording starts: the
    // record thread is started and joined, and the images sized, under this lock.
    platform::CriticalSectionGuard operation(operationLock);
    // One recording at a time: a second one would share the writer.
    int32_t idle = 0;
    if (!recording.compare_exchange_strong(idle, 1))
        return Fail(kErrNotInitialized);
    recordThread.Join();  // a recording that ended on its own

    SetFrameTarget(nullptr, nullptr, 0, 0);
    if (showWindow != 0 && !MakePreviewWindowIfAsked()) {
        recording = 0;
        return 0;
    }
    if (!StartPreview()) {
        Close();
        return Fail(kErrFile);
    }
    const CDibImage* image = OutputImage();
    auto converter = std::make_shared<RecordFrameConverter>();
    if (image == nullptr || !converter->Create(*image) || !recordQueue.Open(*image)) {
        recordQueue.Close();
        Close();
        return Fail(kErrObjects);
    }
    aviWriter.width = image->width;
    aviWriter.height = image->height;
    aviWriter.bitCount = image->bitCount;
    aviWriter.rate = kAviNominalRate;
    aviWriter.frameCount = 0;
    if (!aviWriter.Open(fileName)) {
        recordQueue.Close();
        Close();
        return Fail(kErrFile);
    }
    recordTime = recordTimeMs;
    if (!recordThread.Start([this, converter] { RecordThreadProc(*converter); })) {
        recordQueue.Close();
        aviWriter.Discard();
        Close();
        return Fail(kErrThread);
    }
    return 1;
}

int CQuelix::RecordW(const QUELIX_WCHAR* fileName, int32_t recordTimeMs, int32_t showWindow)
{
    if (fileName == nullptr)
        return Record(nullptr, recordTimeMs, showWindow);
    std::string name;
    if (!NarrowPath(fileName, name))
        return Fail(kErrFile);
    return Record(name.c_str(), recordTimeMs, showWindow);
}

void CQuelix::StopRecording()
{
    recording = 0;
    recordQueue.Wake();
    recordThread.Join();
}

void CQuelix::RecordThreadProc(RecordFrameConverter& converter)
{
    uint32_t startTime = 0;
    uint32_t lastFrameTime = 0;
    bool reported = false;
    const auto report = [this, &reported] {
        PostError(kErrFile);
        reported = true;
    };
    for (bool ended = false; !ended;) {
        // Once stopped, the frames finished before the stop are still written.
        const bool stopping = recording == 0;
        const RecordQueue::Frame frame = recordQueue.Front(stopping ? 0 : kRecordWakeMs);
        if (frame.image == nullptr) {
            ended = stopping;
            continue;
        }
        const uint8_t* pixels = converter.Convert(*frame.image);
        if (aviWriter.frameCount == 0)
            startTime = frame.time;
        CAviWriter::AddResult added = CAviWriter::AddResult::Failed;
        try {
            added = aviWriter.AddFrame(pixels);
        } catch (const std::bad_alloc&) {
            // The index could not grow: end with the frames so far.
        }
        recordQueue.Pop();
        if (added == CAviWriter::AddResult::Added) {
            lastFrameTime = frame.time;
            ended = frame.time - startTime > static_cast<uint32_t>(recordTime);
        } else {
            report();
            ended = true;
        }
    }
    recordSkippedFrames = static_cast<uint32_t>(recordQueue.Skipped());
    recordQueue.Close();
    aviWriter.rate = MeasuredAviRate(aviWriter.frameCount, lastFrameTime - startTime);
    if (!aviWriter.Finish() && !reported)
        report();
    recording = 0;
}

}  // namespace quelix
