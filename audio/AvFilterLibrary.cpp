#include "audio/AvFilterLibrary.h"

#include <stdexcept>

extern "C" {
#include <libavfilter/version.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
}

const TAvFilterLibrary &TAvFilterLibrary::Get()
{
    // A failed load raises here and is tried again at the next start.
    static const TAvFilterLibrary library;
    return library;
}

// The run-time names of the versions this program is built against.
TAvFilterLibrary::TAvFilterLibrary()
    : FUtil("libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR))
    , FFilter("libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR))
{
    Load(FUtil);
    Load(FFilter);
    Resolve(FFilter, GetByName, "avfilter_get_by_name");
    Resolve(FFilter, GraphAlloc, "avfilter_graph_alloc");
    Resolve(FFilter, GraphFree, "avfilter_graph_free");
    Resolve(FFilter, GraphCreateFilter, "avfilter_graph_create_filter");
    Resolve(FFilter, GraphParse, "avfilter_graph_parse_ptr");
    Resolve(FFilter, GraphConfig, "avfilter_graph_config");
    Resolve(FFilter, InOutAlloc, "avfilter_inout_alloc");
    Resolve(FFilter, InOutFree, "avfilter_inout_free");
    Resolve(FFilter, SourceAddFrame, "av_buffersrc_add_frame_flags");
    Resolve(FFilter, SinkGetFrame, "av_buffersink_get_frame");
    Resolve(FUtil, FrameAlloc, "av_frame_alloc");
    Resolve(FUtil, FrameFree, "av_frame_free");
    Resolve(FUtil, FrameGetBuffer, "av_frame_get_buffer");
    Resolve(FUtil, FrameUnref, "av_frame_unref");
    Resolve(FUtil, ChannelLayoutDefault, "av_channel_layout_default");
    Resolve(FUtil, StrDup, "av_strdup");
    Resolve(FUtil, StrError, "av_strerror");
    Resolve(FUtil, LogSetLevel, "av_log_set_level");
}

void TAvFilterLibrary::Load(Platform::TSharedLibrary &ALibrary)
{
    if (!ALibrary.IsLoaded())
        throw std::runtime_error("cannot load " + ALibrary.Soname() + ": " + ALibrary.Error());
}

template <class F>
void TAvFilterLibrary::Resolve(Platform::TSharedLibrary &ALibrary, F &AFunction, const char *AName)
{
    if (!ALibrary.Resolve(AFunction, AName))
        throw std::runtime_error(ALibrary.Soname() + " lacks " + AName);
}
