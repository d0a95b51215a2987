#include "audio/LiveFilterGraph.h"

#include "audio/AvFilterLibrary.h"

#include <cstring>
#include <stdexcept>
#include <string>

TLiveFilterGraph::TLiveFilterGraph(const QString &AGraph)
    : FAv(TAvFilterLibrary::Get())
{
    // Filters' advice (such as a gain that may saturate) is no message for the user.
    FAv.LogSetLevel(AV_LOG_ERROR);
    FGraph = FAv.GraphAlloc();
    FFrame = FAv.FrameAlloc();
    try {
        if (!FGraph || !FFrame)
            throw std::bad_alloc();
        Build(AGraph);
    } catch (...) {
        FAv.GraphFree(&FGraph);
        FAv.FrameFree(&FFrame);
        throw;
    }
}

TLiveFilterGraph::~TLiveFilterGraph()
{
    FAv.GraphFree(&FGraph);
    FAv.FrameFree(&FFrame);
}

// abuffer -> the effect's own graph -> back to 16-bit stereo 44.1 kHz (a graph
// such as "pan=mono|..." changes the layout) -> abuffersink.
void TLiveFilterGraph::Build(const QString &AGraph)
{
    // One thread per graph: the live chain runs one block at a time and the
    // graphs are small; more threads only add hand-over delay.
    FGraph->nb_threads = 1;
    const std::string source = "sample_rate=" + std::to_string(SampleRate) + ":sample_fmt=s16:channel_layout=stereo";
    Check(FAv.GraphCreateFilter(&FSource, FAv.GetByName("abuffer"), "in", source.c_str(), nullptr, FGraph),
          "abuffer");
    Check(FAv.GraphCreateFilter(&FSink, FAv.GetByName("abuffersink"), "out", nullptr, nullptr, FGraph),
          "abuffersink");

    AVFilterInOut *outputs = FAv.InOutAlloc();
    AVFilterInOut *inputs = FAv.InOutAlloc();
    outputs->name = FAv.StrDup("in");
    outputs->filter_ctx = FSource;
    inputs->name = FAv.StrDup("out");
    inputs->filter_ctx = FSink;
    const std::string graph = AGraph.toStdString() + ",aformat=sample_fmts=s16:channel_layouts=stereo:sample_rates="
                              + std::to_string(SampleRate);
    const int parsed = FAv.GraphParse(FGraph, graph.c_str(), &inputs, &outputs, nullptr);
    FAv.InOutFree(&inputs);
    FAv.InOutFree(&outputs);
    Check(parsed, "The effect's filter graph");
    Check(FAv.GraphConfig(FGraph, nullptr), "The effect's filter graph");
}

void TLiveFilterGraph::Push(const int16_t *ASamples, int AFrames)
{
    AVFrame *frame = FFrame;
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = SampleRate;
    FAv.ChannelLayoutDefault(&frame->ch_layout, Channels);
    frame->nb_samples = AFrames;
    frame->pts = FNextPts;
    Check(FAv.FrameGetBuffer(frame, 0), "A sound block");
    std::memcpy(frame->data[0], ASamples, size_t(AFrames) * Channels * sizeof(int16_t));
    FNextPts += AFrames;
    // The source takes the frame's buffer and leaves the frame empty for the next block.
    Check(FAv.SourceAddFrame(FSource, frame, 0), "The effect");
}

void TLiveFilterGraph::Pull(std::vector<int16_t> &AOutput)
{
    while (FAv.SinkGetFrame(FSink, FFrame) >= 0) {
        const auto *samples = reinterpret_cast<const int16_t *>(FFrame->data[0]);
        AOutput.insert(AOutput.end(), samples, samples + size_t(FFrame->nb_samples) * Channels);
        FAv.FrameUnref(FFrame);
    }
}

void TLiveFilterGraph::Check(int AResult, const char *AWhat) const
{
    if (AResult < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        FAv.StrError(AResult, reason, sizeof reason);
        throw std::runtime_error(std::string(AWhat) + ": " + reason);
    }
}
