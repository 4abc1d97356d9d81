#include "platform/audio/PulseMonitorSource.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <mutex>
#include <optional>

#include "base/Log.h"
#include "platform/audio/PcmFrames.h"

namespace platform {
namespace {

struct MainloopFree {
  void operator()(pa_threaded_mainloop* loop) const { pa_threaded_mainloop_free(loop); }
};

// Our callbacks go first, so that closing does not call back into a half-closed owner.
struct ContextClose {
  void operator()(pa_context* context) const {
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
};

struct StreamClose {
  void operator()(pa_stream* stream) const {
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
  }
};

struct TimeEventFree {
  pa_mainloop_api* api = nullptr;
  void operator()(pa_time_event* event) const {
    if (api) api->time_free(event);
  }
};

// Operations whose callbacks we rely on but whose progress we never poll.
void Forget(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

std::optional<PcmFormat> FromPulse(pa_sample_format_t format) {
  switch (format) {
    case PA_SAMPLE_FLOAT32LE:
      return PcmFormat::Float32Le;
    case PA_SAMPLE_S16LE:
      return PcmFormat::Int16Le;
    case PA_SAMPLE_S32LE:
      return PcmFormat::Int32Le;
    default:
      return std::nullopt;
  }
}

bool IsAlive(pa_stream* stream) {
  const pa_stream_state_t state = pa_stream_get_state(stream);
  return state == PA_STREAM_CREATING || state == PA_STREAM_READY;
}

}  // namespace

struct PulseMonitorSource::Impl {
  explicit Impl(Options chosen) : options(std::move(chosen)) {}

  void Connect();
  void ScheduleRetry();
  void OnRetry();
  void OnContextState();
  void RequestServerInfo();
  void OnServerInfo(const pa_server_info& info);
  void OnSinkInfo(const pa_sink_info& info);
  void OpenStream(const pa_sink_info& sink);
  void OnStreamState();
  void OnReadable();
  void CloseAll();
  void SetStatus(AudioSourceState state, const std::string& device, const std::string& detail);

  const Options options;
  PacketHandler handler;
  std::unique_ptr<pa_threaded_mainloop, MainloopFree> mainloop;

  // Touched only on the event thread or with the event loop locked.
  std::unique_ptr<pa_context, ContextClose> context;
  std::unique_ptr<pa_stream, StreamClose> stream;
  std::unique_ptr<pa_time_event, TimeEventFree> retry;
  std::optional<FrameAssembler> assembler;  // empty while the stream's format is unusable
  std::string wantedSink;                   // the default output opened or being opened

  mutable std::mutex statusMutex;
  AudioSourceStatus status;
};

void PulseMonitorSource::Impl::SetStatus(AudioSourceState state, const std::string& device,
                                         const std::string& detail) {
  std::lock_guard lock(statusMutex);
  if (status.state != state || status.device != device)
    base::DebugLog("sound: %s %s %s", AudioSourceStateName(state), device.c_str(), detail.c_str());
  status.state = state;
  status.device = device;
  if (!detail.empty()) status.detail = detail;
}

void PulseMonitorSource::Impl::Connect() {
  {
    std::lock_guard lock(statusMutex);
    ++status.connectAttempts;
  }
  SetStatus(AudioSourceState::Connecting, {}, {});
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop.get());
  context.reset(pa_context_new(api, options.clientName.c_str()));
  if (!context) {
    SetStatus(AudioSourceState::Failed, {}, "cannot create a sound server client");
    return;
  }
  pa_context_set_state_callback(
      context.get(), [](pa_context*, void* self) { static_cast<Impl*>(self)->OnContextState(); },
      this);
  const char* server = options.server.empty() ? nullptr : options.server.c_str();
  // Never start a sound server of our own: the user's session owns it.
  if (pa_context_connect(context.get(), server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    SetStatus(AudioSourceState::WaitingForServer, {}, pa_strerror(pa_context_errno(context.get())));
    ScheduleRetry();
  }
}

// One pending attempt at a time, a retry interval from now on the monotonic clock.
void PulseMonitorSource::Impl::ScheduleRetry() {
  if (retry || !context) return;
  const auto delay = static_cast<pa_usec_t>(options.retryInterval.count()) * PA_USEC_PER_MSEC;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop.get());
  retry = {pa_context_rttime_new(
               context.get(), pa_rtclock_now() + delay,
               [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
                 static_cast<Impl*>(self)->OnRetry();
               },
               this),
           TimeEventFree{api}};
}

void PulseMonitorSource::Impl::OnRetry() {
  retry.reset();
  if (context && pa_context_get_state(context.get()) == PA_CONTEXT_READY) {
    RequestServerInfo();  // the server is there; the stream is what failed
    return;
  }
  stream.reset();
  context.reset();
  Connect();
}

void PulseMonitorSource::Impl::OnContextState() {
  switch (pa_context_get_state(context.get())) {
    case PA_CONTEXT_READY:
      pa_context_set_subscribe_callback(
          context.get(),
          [](pa_context*, pa_subscription_event_type_t event, uint32_t, void* self) {
            if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER)
              static_cast<Impl*>(self)->RequestServerInfo();
          },
          this);
      // The default output is a server property: its change comes as a server event.
      Forget(pa_context_subscribe(context.get(), PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr));
      RequestServerInfo();
      break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      // The context is closed later, by the retry, not inside its own callback.
      wantedSink.clear();
      assembler.reset();
      SetStatus(AudioSourceState::WaitingForServer, {},
                pa_strerror(pa_context_errno(context.get())));
      ScheduleRetry();
      break;
    default:
      break;
  }
}

void PulseMonitorSource::Impl::RequestServerInfo() {
  if (!context || pa_context_get_state(context.get()) != PA_CONTEXT_READY) return;
  Forget(pa_context_get_server_info(
      context.get(),
      [](pa_context*, const pa_server_info* info, void* self) {
        if (info) static_cast<Impl*>(self)->OnServerInfo(*info);
      },
      this));
}

void PulseMonitorSource::Impl::OnServerInfo(const pa_server_info& info) {
  const std::string sink = info.default_sink_name ? info.default_sink_name : "";
  if (sink.empty()) {
    stream.reset();
    wantedSink.clear();
    SetStatus(AudioSourceState::WaitingForDevice, {}, "the sound server has no output");
    return;  // a new output makes itself the default: a server event follows
  }
  if (sink == wantedSink && stream && IsAlive(stream.get())) return;
  wantedSink = sink;
  Forget(pa_context_get_sink_info_by_name(
      context.get(), sink.c_str(),
      [](pa_context*, const pa_sink_info* info, int end, void* self) {
        auto* impl = static_cast<Impl*>(self);
        if (end < 0) {
          impl->ScheduleRetry();  // the output went away between the two questions
        } else if (info && impl->wantedSink == info->name) {
          impl->OpenStream(*info);
        }
      },
      this));
}

void PulseMonitorSource::Impl::OpenStream(const pa_sink_info& sink) {
  stream.reset();
  assembler.reset();
  pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, sink.sample_spec.rate, 2};
  if (!pa_sample_spec_valid(&spec)) spec.rate = 48000;
  pa_channel_map map;
  pa_channel_map_init_stereo(&map);
  stream.reset(pa_stream_new(context.get(), "Sound analysis", &spec, &map));
  const std::string monitor = sink.monitor_source_name ? sink.monitor_source_name : "";
  if (!stream || monitor.empty()) {
    SetStatus(AudioSourceState::WaitingForDevice, monitor, "cannot record the output's monitor");
    ScheduleRetry();
    return;
  }
  pa_stream_set_state_callback(
      stream.get(), [](pa_stream*, void* self) { static_cast<Impl*>(self)->OnStreamState(); },
      this);
  pa_stream_set_read_callback(
      stream.get(), [](pa_stream*, size_t, void* self) { static_cast<Impl*>(self)->OnReadable(); },
      this);
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<uint32_t>(-1);
  attributes.fragsize = static_cast<uint32_t>(
      pa_usec_to_bytes(static_cast<pa_usec_t>(options.fragment.count()) * PA_USEC_PER_MSEC, &spec));
  // A removed output ends the stream instead of moving it to some other source; listening
  // must not keep an idle sound card awake.
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE |
                                                    PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND);
  if (pa_stream_connect_record(stream.get(), monitor.c_str(), &attributes, flags) < 0) {
    SetStatus(AudioSourceState::WaitingForDevice, monitor,
              pa_strerror(pa_context_errno(context.get())));
    ScheduleRetry();
    return;
  }
  SetStatus(AudioSourceState::Connecting, monitor, {});
}

void PulseMonitorSource::Impl::OnStreamState() {
  const std::string device =
      pa_stream_get_device_name(stream.get()) ? pa_stream_get_device_name(stream.get()) : "";
  switch (pa_stream_get_state(stream.get())) {
    case PA_STREAM_READY: {
      const pa_sample_spec* spec = pa_stream_get_sample_spec(stream.get());
      const auto format = spec ? FromPulse(spec->format) : std::nullopt;
      const PcmLayout layout{format.value_or(PcmFormat::Float32Le), spec ? spec->channels : 0u,
                             spec ? spec->rate : 0u};
      if (!format || !IsUsableLayout(layout)) {
        // Its bytes are dropped unread rather than taken for something they are not.
        SetStatus(AudioSourceState::Failed, device, "the server sends an unusable sample format");
        return;
      }
      assembler.emplace(layout);
      {
        std::lock_guard lock(statusMutex);
        status.sampleRate = layout.sampleRate;
      }
      SetStatus(AudioSourceState::Capturing, device, {});
      break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
      assembler.reset();
      wantedSink.clear();
      if (context && pa_context_get_state(context.get()) == PA_CONTEXT_READY) {
        SetStatus(AudioSourceState::WaitingForDevice, device, "the recording ended");
        ScheduleRetry();
      }
      break;
    default:
      break;
  }
}

void PulseMonitorSource::Impl::OnReadable() {
  for (;;) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream.get(), &data, &bytes) < 0 || bytes == 0) return;
    if (data == nullptr) {
      if (assembler) assembler->DropPartialFrame();  // a hole: frame alignment starts anew
    } else if (assembler) {
      const auto frames = assembler->Add({static_cast<const std::byte*>(data), bytes});
      if (!frames.empty()) {
        handler(AudioPacket{frames, frames.size() / 2, assembler->Layout().sampleRate});
        std::lock_guard lock(statusMutex);
        ++status.packets;
      }
    }
    pa_stream_drop(stream.get());
  }
}

void PulseMonitorSource::Impl::CloseAll() {
  retry.reset();
  stream.reset();
  context.reset();
  assembler.reset();
  wantedSink.clear();
}

PulseMonitorSource::PulseMonitorSource() : PulseMonitorSource(Options{}) {}

PulseMonitorSource::PulseMonitorSource(Options options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

PulseMonitorSource::~PulseMonitorSource() {
  Stop();
}

bool PulseMonitorSource::Start(PacketHandler handler) {
  if (impl_->mainloop || !handler) return false;
  impl_->mainloop.reset(pa_threaded_mainloop_new());
  if (!impl_->mainloop) return false;
  impl_->handler = std::move(handler);
  if (pa_threaded_mainloop_start(impl_->mainloop.get()) < 0) {
    impl_->mainloop.reset();
    impl_->SetStatus(AudioSourceState::Failed, {}, "cannot start the sound client's thread");
    return false;
  }
  pa_threaded_mainloop_lock(impl_->mainloop.get());
  impl_->Connect();
  pa_threaded_mainloop_unlock(impl_->mainloop.get());
  return true;
}

void PulseMonitorSource::Stop() {
  if (!impl_->mainloop) return;
  pa_threaded_mainloop_lock(impl_->mainloop.get());
  impl_->CloseAll();
  pa_threaded_mainloop_unlock(impl_->mainloop.get());
  pa_threaded_mainloop_stop(impl_->mainloop.get());
  impl_->mainloop.reset();
  impl_->handler = nullptr;
  impl_->SetStatus(AudioSourceState::Stopped, {}, {});
}

AudioSourceStatus PulseMonitorSource::Status() const {
  std::lock_guard lock(impl_->statusMutex);
  return impl_->status;
}

}  // namespace platform
