// AVI recording: Record starts the preview when it does not run yet, opens
// the file and starts the record thread. The thread wakes for every frame
// the preview loop publishes, converts it out of latestImage under
// displayLock into a bottom-up 24-bit frame and appends it. The recording
// ends when its time is up (counted from the first frame), when it is
// stopped (StopAcquisition, Close, destruction), at the 4 GiB limit of the
// format or on a failed write; in every case the file is finished: index
// written, headers patched with the frame count and the measured rate.
#include <memory>

#include "api/camera_object.h"
#include "output/conversion_kernels.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace quelix {

// How long the record thread waits for a frame before it looks whether the
// recording was stopped (a stop wakes it at once as well).
constexpr int kRecordWakeMs = 100;

// The record thread's conversion buffers, made once per recording for the
// format of the colour mode's image, and its place in the sequence of
// published frames.
struct RecordFrameSource {
    CDibImage a;  // 24-bit
    CDibImage b;  // 24-bit
    CDibImage c;  // 8-bit
    int32_t width = 0;
    int32_t height = 0;
    uint16_t sourceBits = 0;
    uint64_t lastSequence = 0;

    bool Create(const CDibImage& shape)
    {
        width = shape.width;
        height = shape.height;
        sourceBits = shape.bitCount;
        return a.Create(width, height, 24) && b.Create(width, height, 24) && c.Create(width, height, 8);
    }

    // The newest published frame as bottom-up 24-bit rows, or null when no
    // new frame was published. Frames published since the last one taken,
    // and frames of another format (the colour mode changed), are counted
    // in `skipped`. The first conversion pass reads latestImage under
    // displayLock, so the frame is never torn by the next one.
    const uint8_t* Take(CQuelix& camera, uint32_t& skipped)
    {
        {
            platform::CriticalSectionGuard guard(camera.displayLock);
            const uint64_t sequence = camera.publishedFrames;
            if (sequence == lastSequence)
                return nullptr;
            skipped += static_cast<uint32_t>(sequence - lastSequence - 1);
            lastSequence = sequence;
            const CDibImage* image = camera.latestImage.get();
            if (image == nullptr || image->width != width || image->height != height ||
                image->bitCount != sourceBits) {
                ++skipped;
                return nullptr;
            }
            switch (sourceBits) {
                case 8: b.Draw(image, nullptr, 0, 0); break;
                case 16: c.Convert(Gray16To8Shr6Flip, image, nullptr, 0, 0); break;
                case 48:
                case 64: b.Convert(Bgr48To24Flip, image, nullptr, 0, 0); break;
                default: a.Convert(Bgr24CopyFlip, image, nullptr, 0, 0); break;
            }
        }
        switch (sourceBits) {
            case 8: a.Convert(Bgr24CopyFlip, &b, nullptr, 0, 0); return a.pBits;
            case 16: a.Draw(&c, nullptr, 0, 0); return a.pBits;
            case 48:
            case 64: return b.pBits;
            default: return a.pBits;
        }
    }
};

int CQuelix::Record(const char* fileName, int32_t recordTimeMs, int32_t showWindow)
{
    if (fileName == nullptr || *fileName == '\0' || recordTimeMs < 0)
        return Fail(kErrArgument);
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
    auto source = std::make_shared<RecordFrameSource>();
    if (image == nullptr || !source->Create(*image)) {
        Close();
        return Fail(kErrObjects);
    }
    aviWriter.width = image->width;
    aviWriter.height = image->height;
    aviWriter.bitCount = image->bitCount;
    aviWriter.rate = kAviNominalRate;
    aviWriter.frameCount = 0;
    if (!aviWriter.Open(fileName)) {
        Close();
        return Fail(kErrFile);
    }
    {
        platform::CriticalSectionGuard guard(displayLock);
        source->lastSequence = publishedFrames;
    }
    recordTime = recordTimeMs;
    recordSkippedFrames = 0;
    recordFrameReady.Reset();
    if (!recordThread.Start([this, source] { RecordThreadProc(*source); })) {
        aviWriter.Discard();
        Close();
        return Fail(kErrThread);
    }
    return 1;
}

int CQuelix::RecordW(const uint16_t* fileName, int32_t recordTimeMs, int32_t showWindow)
{
    if (fileName == nullptr)
        return Record(nullptr, recordTimeMs, showWindow);
    std::string name;
    if (!platform::Utf16ToUtf8(platform::WideView(fileName), name))
        return Fail(kErrFile);
    return Record(name.c_str(), recordTimeMs, showWindow);
}

void CQuelix::StopRecording()
{
    recording = 0;
    recordFrameReady.Set();
    recordThread.Join();
}

void CQuelix::RecordThreadProc(RecordFrameSource& source)
{
    uint32_t skipped = 0;
    uint32_t startTime = 0;
    uint32_t lastFrameTime = 0;
    bool reported = false;
    const auto report = [this, &reported] {
        PostError(kErrFile);
        reported = true;
    };
    for (bool ended = false; !ended;) {
        recordFrameReady.Wait(kRecordWakeMs);
        // A frame published before the stop is still taken.
        const bool stopping = recording == 0;
        if (const uint8_t* pixels = source.Take(*this, skipped); pixels != nullptr) {
            const uint32_t now = platform::TickCount();
            if (aviWriter.frameCount == 0)
                startTime = now;
            CAviWriter::AddResult added = CAviWriter::AddResult::Failed;
            try {
                added = aviWriter.AddFrame(pixels);
            } catch (const std::bad_alloc&) {
                // The index could not grow: end with the frames so far.
            }
            if (added == CAviWriter::AddResult::Added) {
                lastFrameTime = now;
                ended = now - startTime > static_cast<uint32_t>(recordTime);
            } else {
                report();
                ended = true;
            }
        }
        recordSkippedFrames = skipped;
        ended = ended || stopping;
    }
    aviWriter.rate = MeasuredAviRate(aviWriter.frameCount, lastFrameTime - startTime);
    if (!aviWriter.Finish() && !reported)
        report();
    recording = 0;
}

}  // namespace quelix
