#include "audio/pulse/PulseAudioBackend.h"

#include "audio/DeviceFormatLabel.h"
#include "audio/pulse/PulseAudioStream.h"
#include "audio/pulse/PulseWait.h"

namespace nv {

namespace {

constexpr pa_usec_t kTimeoutUs = 5000000;

struct DeviceList {
  pa_threaded_mainloop* loop;
  std::vector<AudioDeviceInfo> devices;
  bool done = false;
};

void AddDevice(DeviceList* list, int eol, const char* name, const char* description) {
  if (eol) {
    list->done = true;
  } else if (name) {
    AudioDeviceInfo d;
    d.id = name;
    d.name = description && *description ? description : name;
    list->devices.push_back(d);
  }
  pa_threaded_mainloop_signal(list->loop, 0);
}

void OnSink(pa_context*, const pa_sink_info* i, int eol, void* p) {
  AddDevice(static_cast<DeviceList*>(p), eol, i ? i->name : nullptr, i ? i->description : nullptr);
}

void OnSource(pa_context*, const pa_source_info* i, int eol, void* p) {
  AddDevice(static_cast<DeviceList*>(p), eol, i ? i->name : nullptr, i ? i->description : nullptr);
}

bool ValidSpec(const WaveFormatEx& f) {
  if (f.wFormatTag != 1 || (f.wBitsPerSample != 8 && f.wBitsPerSample != 16)) return false;
  pa_sample_spec ss;
  ss.format = f.wBitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
  ss.channels = static_cast<uint8_t>(f.nChannels);
  ss.rate = f.nSamplesPerSec;
  return f.nChannels >= 1 && f.nChannels <= 2 && pa_sample_spec_valid(&ss);
}

}  // namespace

PulseAudioBackend::PulseAudioBackend(AudioExecutor& executor, const std::string& clientName)
    : executor_(executor), clientName_(clientName) {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ && pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

PulseAudioBackend::~PulseAudioBackend() {
  if (!loop_) return;
  {
    LoopLock lock(loop_);
    DropContext();
  }
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

void PulseAudioBackend::DropContext() {
  if (!context_) return;
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

void PulseAudioBackend::OnContextState(pa_context*, void* p) {
  pa_threaded_mainloop_signal(static_cast<PulseAudioBackend*>(p)->loop_, 0);
}

bool PulseAudioBackend::EnsureConnected() {
  if (!loop_) return false;
  if (context_) {
    const pa_context_state_t st = pa_context_get_state(context_);
    if (st == PA_CONTEXT_READY) return true;
    if (PA_CONTEXT_IS_GOOD(st)) {
      // Still connecting (an earlier wait ran out): wait once more.
    } else {
      DropContext();
    }
  }
  if (!context_) {
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName_.c_str());
    if (!context_) return false;
    pa_context_set_state_callback(context_, OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
      DropContext();
      return false;
    }
  }
  pa_context* c = context_;
  WaitForPulse(
      loop_, [c] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(c)) || pa_context_get_state(c) == PA_CONTEXT_READY; },
      kTimeoutUs);
  if (pa_context_get_state(context_) == PA_CONTEXT_READY) return true;
  if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) DropContext();
  return false;
}

bool PulseAudioBackend::Connected() {
  if (!loop_) return false;
  LoopLock lock(loop_);
  return EnsureConnected();
}

std::vector<AudioDeviceInfo> PulseAudioBackend::Devices(StreamDirection dir) {
  if (!loop_) return {};
  DeviceList list;
  list.loop = loop_;
  {
    LoopLock lock(loop_);
    if (!EnsureConnected()) return {};
    pa_operation* o = dir == StreamDirection::Output
                          ? pa_context_get_sink_info_list(context_, OnSink, &list)
                          : pa_context_get_source_info_list(context_, OnSource, &list);
    if (!o) return {};
    WaitForPulse(
        loop_, [&] { return list.done || pa_operation_get_state(o) != PA_OPERATION_RUNNING; }, kTimeoutUs);
    if (pa_operation_get_state(o) == PA_OPERATION_RUNNING) pa_operation_cancel(o);
    pa_operation_unref(o);
  }
  // The server converts any valid format to the device's own.
  for (AudioDeviceInfo& d : list.devices)
    d.formatLabel = BestFormatLabel([&](int ch, int bits, int rate) {
      WaveFormatEx f;
      f.SetFormat(ch, bits, rate);
      return ValidSpec(f);
    });
  return list.devices;
}

bool PulseAudioBackend::Supports(StreamDirection, const std::string&, const WaveFormatEx& format) {
  return ValidSpec(format) && Connected();
}

std::unique_ptr<AudioStream> PulseAudioBackend::Open(StreamDirection dir, const std::string& deviceId,
                                                     const WaveFormatEx& format, AudioStreamListener& listener,
                                                     OpenStatus& status) {
  status = OpenStatus::Failed;
  if (!Connected()) return nullptr;
  if (!ValidSpec(format)) {
    status = OpenStatus::FormatRefused;
    return nullptr;
  }
  return PulseAudioStream::Connect(loop_, context_, dir, deviceId.empty() ? nullptr : deviceId.c_str(), format,
                                   listener, executor_, status);
}

}  // namespace nv
