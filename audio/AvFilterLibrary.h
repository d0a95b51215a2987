#pragma once

#include "platform/SharedLibrary.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

// libavfilter and libavutil, loaded when live voice first starts rather than
// with the program: with the codec libraries they bring they are over a
// hundred libraries, which doubled the start-up's time and idle memory for a
// mode few runs use. The functions the live graph calls, resolved once.
class TAvFilterLibrary
{
public:
    // Loads them the first time, from whichever thread asks first. Raises
    // std::runtime_error when one cannot be loaded or lacks a function.
    static const TAvFilterLibrary &Get();

    decltype(&::avfilter_get_by_name) GetByName = nullptr;
    decltype(&::avfilter_graph_alloc) GraphAlloc = nullptr;
    decltype(&::avfilter_graph_free) GraphFree = nullptr;
    decltype(&::avfilter_graph_create_filter) GraphCreateFilter = nullptr;
    decltype(&::avfilter_graph_parse_ptr) GraphParse = nullptr;
    decltype(&::avfilter_graph_config) GraphConfig = nullptr;
    decltype(&::avfilter_inout_alloc) InOutAlloc = nullptr;
    decltype(&::avfilter_inout_free) InOutFree = nullptr;
    decltype(&::av_buffersrc_add_frame_flags) SourceAddFrame = nullptr;
    decltype(&::av_buffersink_get_frame) SinkGetFrame = nullptr;

    decltype(&::av_frame_alloc) FrameAlloc = nullptr;
    decltype(&::av_frame_free) FrameFree = nullptr;
    decltype(&::av_frame_get_buffer) FrameGetBuffer = nullptr;
    decltype(&::av_frame_unref) FrameUnref = nullptr;
    decltype(&::av_channel_layout_default) ChannelLayoutDefault = nullptr;
    decltype(&::av_strdup) StrDup = nullptr;
    decltype(&::av_strerror) StrError = nullptr;
    decltype(&::av_log_set_level) LogSetLevel = nullptr;

private:
    TAvFilterLibrary();
    static void Load(Platform::TSharedLibrary &ALibrary);
    template <class F> static void Resolve(Platform::TSharedLibrary &ALibrary, F &AFunction, const char *AName);

    Platform::TSharedLibrary FUtil;
    Platform::TSharedLibrary FFilter;
};
