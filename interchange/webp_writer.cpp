// Animated WebP through libwebp's animation encoder, lossless, looping forever.
#include <webp/encode.h>
#include <webp/mux.h>

#include <string>

#include "document/limits.h"
#include "interchange/animation.h"

namespace dabro {

namespace {

class WebpWriter final : public AnimationWriter {
  public:
    explicit WebpWriter(const AnimationHeader& header) : header_(header) {}
    ~WebpWriter() override {
        if (encoder_ != nullptr) WebPAnimEncoderDelete(encoder_);
    }
    WebpWriter(const WebpWriter&) = delete;
    WebpWriter& operator=(const WebpWriter&) = delete;

    Status open() {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_))
            return Status::failure("The WebP library does not match its headers");
        options.anim_params.loop_count = 0;  // forever
        options.allow_mixed = 0;
        // Lossless at a low effort: sprite frames are small and flat, and export should
        // not keep the user waiting.
        config_.lossless = 1;
        if (!WebPConfigLosslessPreset(&config_, 1))
            return Status::failure("The WebP encoder refused its settings");
        encoder_ = WebPAnimEncoderNew(static_cast<int>(header_.width),
                                      static_cast<int>(header_.height), &options);
        if (encoder_ == nullptr) return Status::failure("Out of memory");
        return Status::success();
    }

    Status add_frame(const std::uint32_t* pixels, int delayMs) override {
        if (frames_ >= header_.frames) return Status::failure("More frames than the animation has");
        WebPPicture picture;
        if (!WebPPictureInit(&picture)) return Status::failure("Out of memory");
        picture.use_argb = 1;
        picture.width = static_cast<int>(header_.width);
        picture.height = static_cast<int>(header_.height);
        const bool imported =
            WebPPictureImportRGBA(&picture, reinterpret_cast<const std::uint8_t*>(pixels),
                                  static_cast<int>(header_.width * 4)) != 0;
        const bool added =
            imported && WebPAnimEncoderAdd(encoder_, &picture, timestamp_, &config_) != 0;
        WebPPictureFree(&picture);
        if (!added) return failure();
        timestamp_ += std::max(delayMs, 1);
        ++frames_;
        return Status::success();
    }

    Status finish(std::vector<std::uint8_t>& file) override {
        if (frames_ != header_.frames)
            return Status::failure("Fewer frames than the animation has");
        // The end time gives the last frame its delay.
        if (!WebPAnimEncoderAdd(encoder_, nullptr, timestamp_, nullptr)) return failure();
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAssemble(encoder_, &data)) return failure();
        file.assign(data.bytes, data.bytes + data.size);
        WebPDataClear(&data);
        return Status::success();
    }

  private:
    Status failure() const {
        const char* why = encoder_ != nullptr ? WebPAnimEncoderGetError(encoder_) : nullptr;
        return Status::failure(std::string("The WebP could not be written: ") +
                               (why != nullptr && *why != '\0' ? why : "out of memory"));
    }

    AnimationHeader header_;
    WebPConfig config_{};
    WebPAnimEncoder* encoder_ = nullptr;
    int timestamp_ = 0;
    int frames_ = 0;
};

}  // namespace

Status make_webp_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer) {
    if (header.width > kMaxWebpSide || header.height > kMaxWebpSide)
        return Status::failure("A WebP can be at most 16383 pixels a side; this one would be " +
                               std::to_string(header.width) + " x " +
                               std::to_string(header.height));
    auto webp = std::make_unique<WebpWriter>(header);
    if (Status s = webp->open(); !s.ok()) return s;
    writer = std::move(webp);
    return Status::success();
}

}  // namespace dabro
