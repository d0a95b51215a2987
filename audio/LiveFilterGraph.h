#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;
class TAvFilterLibrary;

// One effect's filter graph run in-process on a stream of 16-bit stereo
// samples at 44.1 kHz (the rate the presets' graphs are written for): samples
// pushed in come out, changed, from Pull as soon as the filters let them go.
class TLiveFilterGraph
{
public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 2;

    // Raises std::runtime_error with the filter library's reason when AGraph
    // does not build, or when the library cannot be loaded.
    explicit TLiveFilterGraph(const QString &AGraph);
    ~TLiveFilterGraph();
    TLiveFilterGraph(const TLiveFilterGraph &) = delete;
    TLiveFilterGraph &operator=(const TLiveFilterGraph &) = delete;

    // AFrames interleaved stereo frames.
    void Push(const int16_t *ASamples, int AFrames);
    // Appends every frame that is ready, interleaved.
    void Pull(std::vector<int16_t> &AOutput);

private:
    const TAvFilterLibrary &FAv;
    AVFilterGraph *FGraph = nullptr;
    AVFilterContext *FSource = nullptr;
    AVFilterContext *FSink = nullptr;
    AVFrame *FFrame = nullptr;
    int64_t FNextPts = 0;

    void Build(const QString &AGraph);
    // Raises std::runtime_error naming AWhat and the library's reason when AResult is an error.
    void Check(int AResult, const char *AWhat) const;
};
