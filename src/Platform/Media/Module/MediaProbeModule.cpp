// The media module: reads the headers of a media file held in memory with libavformat. Built as
// its own shared library so that the SDK itself never links the media libraries.

#include "Platform/Media/MediaProbeInterface.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The demuxers a media file may use: the ISO base media family and Matroska/WebM.
constexpr const char* kAllowedDemuxers = "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm";
constexpr std::size_t kIoBufferSize = 16 * 1024;

struct MemoryInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

int readPacket(void* opaque, std::uint8_t* buffer, int bufferSize) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const std::size_t left = input->size - input->position;
    if (left == 0) return AVERROR_EOF;
    const std::size_t count = std::min(left, static_cast<std::size_t>(bufferSize));
    std::memcpy(buffer, input->data + input->position, count);
    input->position += count;
    return static_cast<int>(count);
}

std::int64_t seekInput(void* opaque, std::int64_t offset, int whence) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const auto size = static_cast<std::int64_t>(input->size);
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return size;
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = static_cast<std::int64_t>(input->position) + offset; break;
        case SEEK_END: target = size + offset; break;
        default: return AVERROR(EINVAL);
    }
    if (target < 0 || target > size) return AVERROR(EINVAL);
    input->position = static_cast<std::size_t>(target);
    return target;
}

int32_t refuse(solen_media_facts* facts, solen_media_result result, std::string_view message) {
    facts->result = result;
    const std::size_t length = std::min(message.size(), sizeof(facts->message) - 1);
    std::memcpy(facts->message, message.data(), length);
    facts->message[length] = '\0';
    return result;
}

// Detection by content alone (no file name, no MIME type), limited to the two families: an ISO
// base media file opens with a box whose type is one of these, a Matroska/WebM file with the
// EBML magic number. Checking the few start bytes ourselves is cheaper than asking every demuxer.
const AVInputFormat* detectContainer(const std::uint8_t* data, std::size_t size) {
    static constexpr std::array<std::string_view, 11> kFirstBoxes{"ftyp", "moov", "mdat", "free", "skip", "wide",
                                                                  "pnot", "uuid", "styp", "sidx", "junk"};
    if (size >= 8) {
        const std::string_view type(reinterpret_cast<const char*>(data) + 4, 4);
        if (std::find(kFirstBoxes.begin(), kFirstBoxes.end(), type) != kFirstBoxes.end()) {
            return av_find_input_format("mov");
        }
    }
    if (size >= 4 && data[0] == 0x1A && data[1] == 0x45 && data[2] == 0xDF && data[3] == 0xA3) {
        return av_find_input_format("matroska");
    }
    return nullptr;
}

// Some demuxers (MPEG-4 Visual, H.263) leave the picture size to the decoder; the codec's
// parser reads it from the stream's configuration header without decoding a picture.
void pictureSizeFromConfiguration(const AVCodecParameters* codec, int& width, int& height) {
    if (!codec->extradata || codec->extradata_size <= 0) return;
    AVCodecParserContext* parser = av_parser_init(codec->codec_id);
    AVCodecContext* context = parser ? avcodec_alloc_context3(nullptr) : nullptr;
    if (context && avcodec_parameters_to_context(context, codec) >= 0) {
        std::uint8_t* output = nullptr;
        int outputSize = 0;
        av_parser_parse2(parser, context, &output, &outputSize, codec->extradata, codec->extradata_size,
                         AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        av_parser_parse2(parser, context, &output, &outputSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        width = context->width;
        height = context->height;
    }
    avcodec_free_context(&context);
    if (parser) av_parser_close(parser);
}

double streamDuration(const AVStream* stream) {
    if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0 || stream->time_base.den == 0) return 0;
    return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
}

void collect(const AVFormatContext* context, solen_media_facts* facts) {
    double longestStream = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVCodecParameters* codec = stream->codecpar;
        const bool audio = codec->codec_type == AVMEDIA_TYPE_AUDIO;
        const bool video = codec->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
        if ((!audio && !video) || facts->track_count >= SOLEN_MEDIA_MAX_TRACKS) continue;
        solen_media_track& track = facts->tracks[facts->track_count++];
        track.kind = audio ? SOLEN_MEDIA_TRACK_AUDIO : SOLEN_MEDIA_TRACK_VIDEO;
        track.decodable = avcodec_find_decoder(codec->codec_id) != nullptr ? 1 : 0;
        int width = codec->width;
        int height = codec->height;
        if (video && (width <= 0 || height <= 0)) pictureSizeFromConfiguration(codec, width, height);
        track.width = video && width > 0 ? static_cast<std::uint32_t>(width) : 0;
        track.height = video && height > 0 ? static_cast<std::uint32_t>(height) : 0;
        longestStream = std::max(longestStream, streamDuration(stream));
    }
    if (context->duration != AV_NOPTS_VALUE) {
        facts->has_duration = 1;
        facts->duration_seconds = static_cast<double>(context->duration) / AV_TIME_BASE;
    } else if (longestStream > 0) {
        facts->has_duration = 1;
        facts->duration_seconds = longestStream;
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t solen_media_probe_v1(const std::uint8_t* data,
                                                                               std::size_t size,
                                                                               solen_media_facts* facts) {
    if (!facts) return SOLEN_MEDIA_UNREADABLE;
    std::memset(facts, 0, sizeof(*facts));
    if (!data || size == 0) return refuse(facts, SOLEN_MEDIA_UNSUPPORTED_CONTAINER, "empty media file");

    const AVInputFormat* format = detectContainer(data, size);
    if (!format) return refuse(facts, SOLEN_MEDIA_UNSUPPORTED_CONTAINER, "not an MP4, QuickTime, 3GP or WebM file");

    MemoryInput input{data, size};
    auto* ioBuffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    AVIOContext* io = ioBuffer ? avio_alloc_context(ioBuffer, kIoBufferSize, 0, &input, readPacket, nullptr, seekInput)
                               : nullptr;
    AVFormatContext* context = io ? avformat_alloc_context() : nullptr;
    if (!context) {
        if (io) av_freep(&io->buffer);
        else av_free(ioBuffer);
        avio_context_free(&io);
        return refuse(facts, SOLEN_MEDIA_UNREADABLE, "out of memory");
    }
    context->pb = io;
    context->flags |= AVFMT_FLAG_CUSTOM_IO;

    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", kAllowedDemuxers, 0);
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    av_dict_set_int(&options, "max_streams", SOLEN_MEDIA_MAX_TRACKS, 0);
    // On failure avformat_open_input frees the context; the custom I/O stays ours.
    const int opened = avformat_open_input(&context, nullptr, format, &options);
    av_dict_free(&options);
    if (opened == 0) {
        collect(context, facts);
        avformat_close_input(&context);
    } else {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, reason, sizeof(reason));
        char message[sizeof(facts->message)];
        std::snprintf(message, sizeof(message), "unreadable media headers: %s", reason);
        refuse(facts, SOLEN_MEDIA_UNREADABLE, message);
    }
    av_freep(&io->buffer);
    avio_context_free(&io);
    return facts->result;
}
