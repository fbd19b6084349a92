// SPDX-License-Identifier: MIT
// A camera object with the images of the correction pipeline made for one
// colour mode and capture window, as capture start makes them, and shading
// references of black and full scale as initialisation leaves them. Helpers
// fill images with random pixels.
#pragma once

#include <array>
#include <cstring>
#include <memory>
#include <random>

#include "camera/camera_object.h"
#include "image/dib_image.h"

namespace quelix::test {

class PipelineCamera {
public:
    PipelineCamera(int32_t colorMode, int32_t width, int32_t height, int32_t left = 0, int32_t top = 0)
    {
        CQuelix& c = camera;
        c.colorMode = colorMode;
        c.width = width;
        c.height = height;
        c.offsetX = left;
        c.offsetY = top;
        c.active.width = width;
        c.active.height = height;
        c.active.x = left;
        c.active.y = top;
        c.filter.Set(FilterSlot::gamma, 100);
        for (FilterSlot gain :
             {FilterSlot::grayGainR, FilterSlot::grayGainG1, FilterSlot::grayGainG2, FilterSlot::grayGainB})
            c.filter.Set(gain, 128);
        for (std::unique_ptr<CDibImage>& image : c.images)
            image = std::make_unique<CDibImage>();
        const bool wide = colorMode == 1 || colorMode == 4 || colorMode == 5;
        c.Image(ImageRole::image8)->Create(width, height, 8);
        if (wide)
            c.Image(ImageRole::image16)->Create(width, height, 16);
        if (colorMode != 1)
            c.Image(ImageRole::image24)->Create(width, height, 24);
        if (colorMode == 3)
            c.Image(ImageRole::image32)->Create(width, height, 32);
        if (colorMode == 4)
            c.Image(ImageRole::image48)->Create(width, height, 48);
        if (colorMode == 5)
            c.Image(ImageRole::image64)->Create(width, height, 64);
        c.Image(ImageRole::filterScratch)->CreateLike(Output());
        c.Image(ImageRole::latestImage)->CreateLike(Output());
        c.Image(ImageRole::rawFrame)->Create(width, height, wide ? 16 : 8);
        for (CDibImage* image :
             {c.Image(ImageRole::darkRef8).get(), c.Image(ImageRole::brightRef8).get(),
              c.Image(ImageRole::defectWork8a).get(), c.Image(ImageRole::defectWork8b).get(),
              c.Image(ImageRole::defectWork8c).get()})
            image->Create(kSensorWidth, kSensorHeight, 8);
        for (CDibImage* image :
             {c.Image(ImageRole::darkRef16).get(), c.Image(ImageRole::brightRef16).get(),
              c.Image(ImageRole::defectWork16a).get(), c.Image(ImageRole::defectWork16b).get(),
              c.Image(ImageRole::defectWork16c).get()})
            image->Create(kSensorWidth, kSensorHeight, 16);
        std::memset(c.Image(ImageRole::brightRef8)->pBits, 0xFF,
                    static_cast<size_t>(c.Image(ImageRole::brightRef8)->stride) * kSensorHeight);
        for (int32_t i = 0; i < kSensorWidth * kSensorHeight; ++i) {
            const uint16_t full = 0x3FFF;
            std::memcpy(c.Image(ImageRole::brightRef16)->pBits + 2 * i, &full, 2);
        }
    }

    CDibImage* Work()
    {
        const int32_t mode = camera.colorMode;
        return mode == 1 || mode == 4 || mode == 5 ? camera.Image(ImageRole::image16).get()
                                                   : camera.Image(ImageRole::image8).get();
    }
    CDibImage* Output()
    {
        const std::array<CDibImage*, 6> outputs = {
            camera.Image(ImageRole::image8).get(),  camera.Image(ImageRole::image16).get(),
            camera.Image(ImageRole::image24).get(), camera.Image(ImageRole::image32).get(),
            camera.Image(ImageRole::image48).get(), camera.Image(ImageRole::image64).get()};
        return outputs[camera.colorMode];
    }

    CQuelix camera;
};

// Random bytes over the whole buffer (pixels and row padding).
inline void FillRandom(CDibImage& image, std::mt19937& random)
{
    for (int32_t i = 0; i < image.stride * image.height; ++i)
        image.pBits[i] = static_cast<uint8_t>(random());
}

// Random samples below `limit` in every pixel of a 16-bit image.
inline void FillRandom16(CDibImage& image, std::mt19937& random, uint32_t limit)
{
    for (int32_t i = 0; i < image.height; ++i) {
        for (int32_t j = 0; j < image.width * image.bitCount / 16; ++j) {
            const auto sample = static_cast<uint16_t>(random() % limit);
            std::memcpy(image.pBits + static_cast<ptrdiff_t>(i) * image.stride + 2 * j, &sample, 2);
        }
    }
}

}  // namespace quelix::test
