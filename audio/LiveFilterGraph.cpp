#include "audio/LiveFilterGraph.h"

#include <cstring>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace {

void Check(int AResult, const char *AWhat)
{
    if (AResult < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(AResult, reason, sizeof reason);
        throw std::runtime_error(std::string(AWhat) + ": " + reason);
    }
}

} // namespace

TLiveFilterGraph::TLiveFilterGraph(const QString &AGraph)
{
    // Filters' advice (such as a gain that may saturate) is no message for the user.
    av_log_set_level(AV_LOG_ERROR);
    FGraph = avfilter_graph_alloc();
    FFrame = av_frame_alloc();
    try {
        if (!FGraph || !FFrame)
            throw std::bad_alloc();
        Build(AGraph);
    } catch (...) {
        avfilter_graph_free(&FGraph);
        av_frame_free(&FFrame);
        throw;
    }
}

TLiveFilterGraph::~TLiveFilterGraph()
{
    avfilter_graph_free(&FGraph);
    av_frame_free(&FFrame);
}

// abuffer -> the effect's own graph -> back to 16-bit stereo 44.1 kHz (a graph
// such as "pan=mono|..." changes the layout) -> abuffersink.
void TLiveFilterGraph::Build(const QString &AGraph)
{
    // One thread per graph: the live chain runs one block at a time and the
    // graphs are small; more threads only add hand-over delay.
    FGraph->nb_threads = 1;
    const std::string source = "sample_rate=" + std::to_string(SampleRate) + ":sample_fmt=s16:channel_layout=stereo";
    Check(avfilter_graph_create_filter(&FSource, avfilter_get_by_name("abuffer"), "in", source.c_str(), nullptr, FGraph),
          "abuffer");
    Check(avfilter_graph_create_filter(&FSink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, FGraph),
          "abuffersink");

    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = FSource;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = FSink;
    const std::string graph = AGraph.toStdString() + ",aformat=sample_fmts=s16:channel_layouts=stereo:sample_rates="
                              + std::to_string(SampleRate);
    const int parsed = avfilter_graph_parse_ptr(FGraph, graph.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    Check(parsed, "The effect's filter graph");
    Check(avfilter_graph_config(FGraph, nullptr), "The effect's filter graph");
}

void TLiveFilterGraph::Push(const int16_t *ASamples, int AFrames)
{
    AVFrame *frame = FFrame;
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = SampleRate;
    av_channel_layout_default(&frame->ch_layout, Channels);
    frame->nb_samples = AFrames;
    frame->pts = FNextPts;
    Check(av_frame_get_buffer(frame, 0), "A sound block");
    std::memcpy(frame->data[0], ASamples, size_t(AFrames) * Channels * sizeof(int16_t));
    FNextPts += AFrames;
    // The source takes the frame's buffer and leaves the frame empty for the next block.
    Check(av_buffersrc_add_frame_flags(FSource, frame, 0), "The effect");
}

void TLiveFilterGraph::Pull(std::vector<int16_t> &AOutput)
{
    while (av_buffersink_get_frame(FSink, FFrame) >= 0) {
        const auto *samples = reinterpret_cast<const int16_t *>(FFrame->data[0]);
        AOutput.insert(AOutput.end(), samples, samples + size_t(FFrame->nb_samples) * Channels);
        av_frame_unref(FFrame);
    }
}
