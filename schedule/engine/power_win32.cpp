// Implements the power seam with a waitable timer (absolute due time in UTC),
// power requests or SetThreadExecutionState, and the power facts: the
// machine's capabilities and the active plan's settings, read through
// powrprof.dll, and the power source in use.
#include "power_win32.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "thread_win32.h"
#include "time_text_win32.h"
#include "window_win32.h"

namespace ormidal {
namespace {

// "The timer was set, but the system does not support resuming"; not in
// every SDK's headers.
constexpr DWORD kErrorTimerResumeIgnored = 722;
// The fallback thread answers at once; this only keeps a stuck one from stalling the caller.
constexpr auto kAnswerLimit = std::chrono::seconds(5);

const GUID kSleepSubgroup = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
const GUID kAllowWakeTimers = {
    0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};
const GUID kSleepAfter = {
    0x29f6c1db, 0x86da, 0x48c5, {0x9f, 0xdb, 0xf2, 0xb4, 0x4b, 0x67, 0xb1, 0xf4}};
const GUID kHibernateAfter = {
    0x9d7815a6, 0x7ee4, 0x497e, {0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64}};
const GUID kNoSubgroup = {
    0xfea3413e, 0x7e05, 0x4911, {0x9a, 0x71, 0x70, 0x03, 0x31, 0xf1, 0xc2, 0x94}};
const GUID kConsoleLock = {
    0x0e796bdb, 0x100d, 0x47d6, {0xa2, 0xd5, 0xf7, 0xd2, 0xda, 0xa5, 0x1f, 0x51}};
// ACLineStatus of SYSTEM_POWER_STATUS; 255 is unknown.
constexpr BYTE kAcOffline = 0;
constexpr BYTE kAcOnline = 1;
// Values of "Allow wake timers"; "important only" lets no program's timer wake the computer.
constexpr DWORD kWakeTimersDisable = 0;
constexpr DWORD kWakeTimersEnable = 1;
constexpr DWORD kWakeTimersImportantOnly = 2;

using GetActiveSchemeFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadValueIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);
using GetCapabilitiesFn = BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES);

struct ModuleKind {
  using Type = HMODULE;
  static bool Valid(HMODULE module) { return module != nullptr; }
  static bool Close(HMODULE module) { return FreeLibrary(module) != FALSE; }
};

struct LocalFreer {
  void operator()(GUID* memory) const { LocalFree(memory); }
};

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
  const FARPROC proc = module == nullptr ? nullptr : GetProcAddress(module, name);
  // Through the generic function type, which converts to any other without a warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// From the system folder only: a powrprof.dll beside the program is never loaded.
fw::Scoped<ModuleKind> LoadPowerProfile() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return fw::Scoped<ModuleKind>(
      LoadLibraryW((std::wstring(folder, length) + L"\\powrprof.dll").c_str()));
}

WakeTimerSetting ReadSetting(ReadValueIndexFn read, const GUID* scheme) {
  DWORD value = 0;
  if (read(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &value) != ERROR_SUCCESS) {
    return WakeTimerSetting::kUnreadable;
  }
  switch (value) {
    case kWakeTimersEnable:
      return WakeTimerSetting::kEnabled;
    case kWakeTimersDisable:
    case kWakeTimersImportantOnly:
      return WakeTimerSetting::kDisabled;
    default:
      return WakeTimerSetting::kUnreadable;
  }
}

std::optional<DWORD> ReadIndex(ReadValueIndexFn read, const GUID* scheme, const GUID& subgroup,
                               const GUID& setting) {
  DWORD value = 0;
  if (read(nullptr, scheme, &subgroup, &setting, &value) != ERROR_SUCCESS) return std::nullopt;
  return value;
}

template <class T>
PerSource<std::optional<T>> ReadBoth(ReadValueIndexFn readAc, ReadValueIndexFn readDc,
                                     const GUID* scheme, const GUID& subgroup,
                                     const GUID& setting) {
  PerSource<std::optional<T>> both;
  if (auto ac = ReadIndex(readAc, scheme, subgroup, setting)) both.onAc = static_cast<T>(*ac);
  if (auto dc = ReadIndex(readDc, scheme, subgroup, setting)) both.onBattery = static_cast<T>(*dc);
  return both;
}

// Older headers name AoAc a spare byte; it sits just before DiskSpinDown in
// every layout.
bool ModernStandby(const SYSTEM_POWER_CAPABILITIES& capabilities) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&capabilities);
  return bytes[offsetof(SYSTEM_POWER_CAPABILITIES, DiskSpinDown) - 1] != 0;
}

}  // namespace

ExecutionStateThread::~ExecutionStateThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  fw::JoinThread(thread_);
}

bool ExecutionStateThread::Set(EXECUTION_STATE flags) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!thread_) {
    thread_ = fw::StartJoinableThread([this] { Run(); });
    if (!thread_) return false;
  }
  wanted_ = flags;
  const uint64_t asked = ++asked_;
  changed_.notify_all();
  if (!changed_.wait_for(lock, kAnswerLimit, [&] { return done_ >= asked; })) return false;
  return succeeded_;
}

void ExecutionStateThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return quit_ || done_ != asked_; });
    if (quit_) break;
    const EXECUTION_STATE flags = wanted_;
    const uint64_t asked = asked_;
    lock.unlock();
    const bool succeeded = SetThreadExecutionState(flags) != 0;
    lock.lock();
    succeeded_ = succeeded;
    done_ = asked;
    changed_.notify_all();
  }
  SetThreadExecutionState(ES_CONTINUOUS);
}

Win32PowerSystem::Win32PowerSystem() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  createRequest_ = Lookup<CreateRequestFn>(kernel, "PowerCreateRequest");
  setRequest_ = Lookup<RequestFn>(kernel, "PowerSetRequest");
  clearRequest_ = Lookup<RequestFn>(kernel, "PowerClearRequest");
}

// Absolute and in UTC: a relative due time does not count time spent asleep
// (Windows 8 on), and the local clock may be set or change zone meanwhile.
WakeResult Win32PowerSystem::ArmWake(FileTime localTime) {
  if (!timer_) timer_ = fw::ScopedHandle(CreateWaitableTimerW(nullptr, TRUE, nullptr));
  if (!timer_) return WakeResult::kFailed;
  CalendarRecord local;
  SYSTEMTIME utc;
  FILETIME due;
  bool armed = false;
  if (FileTimeToRecord(localTime, local)) {
    const SYSTEMTIME localSystem = ToSystemTime(local);
    if (TzSpecificLocalTimeToSystemTime(nullptr, &localSystem, &utc) &&
        SystemTimeToFileTime(&utc, &due)) {
      LARGE_INTEGER dueTime;
      dueTime.LowPart = due.dwLowDateTime;
      dueTime.HighPart = static_cast<LONG>(due.dwHighDateTime);
      SetLastError(ERROR_SUCCESS);
      armed = SetWaitableTimer(timer_.Get(), &dueTime, 0, nullptr, nullptr, TRUE) != FALSE;
    }
  }
  if (!armed) {
    CancelWaitableTimer(timer_.Get());  // no wake at an earlier time either
    return WakeResult::kFailed;
  }
  const DWORD error = GetLastError();
  return error == ERROR_NOT_SUPPORTED || error == kErrorTimerResumeIgnored
             ? WakeResult::kArmedNoResume
             : WakeResult::kArmed;
}

bool Win32PowerSystem::CancelWake() {
  return !timer_ || CancelWaitableTimer(timer_.Get()) != FALSE;
}

AwakeResult Win32PowerSystem::HoldAwake(const AwakeReason& reason) {
  if (createRequest_ != nullptr && setRequest_ != nullptr && clearRequest_ != nullptr) {
    std::wstring text = fw::Widen(reason.text);
    REASON_CONTEXT context{};
    context.Version = POWER_REQUEST_CONTEXT_VERSION;
    context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
    context.Reason.SimpleReasonString = text.data();
    // A request that is not fully set is closed here, which withdraws it.
    fw::ScopedHandle request(createRequest_(&context));
    if (request && setRequest_(request.Get(), PowerRequestSystemRequired) &&
        (!reason.displayRequired || setRequest_(request.Get(), PowerRequestDisplayRequired))) {
      ReleaseAwake();  // the earlier hold, now that the new one stands
      request_ = std::move(request);
      requestDisplay_ = reason.displayRequired;
      return AwakeResult::kRequested;
    }
  }
  const EXECUTION_STATE flags =
      ES_CONTINUOUS | ES_SYSTEM_REQUIRED | (reason.displayRequired ? ES_DISPLAY_REQUIRED : 0);
  if (!fallback_.Set(flags)) return AwakeResult::kFailed;
  fallbackHeld_ = true;
  ClearRequest();
  return AwakeResult::kExecutionState;
}

bool Win32PowerSystem::ClearRequest() {
  if (!request_) return true;
  bool cleared = clearRequest_(request_.Get(), PowerRequestSystemRequired) != FALSE;
  if (requestDisplay_ && !clearRequest_(request_.Get(), PowerRequestDisplayRequired))
    cleared = false;
  return request_.Close() && cleared;
}

bool Win32PowerSystem::ReleaseAwake() {
  bool released = ClearRequest();
  if (fallbackHeld_) {
    fallbackHeld_ = false;
    if (!fallback_.Set(ES_CONTINUOUS)) released = false;
  }
  return released;
}

PowerFacts Win32PowerSystem::ReadPowerFacts() {
  PowerFacts facts;
  SYSTEM_POWER_STATUS status;
  if (GetSystemPowerStatus(&status) &&
      (status.ACLineStatus == kAcOffline || status.ACLineStatus == kAcOnline)) {
    facts.onBattery = status.ACLineStatus == kAcOffline;
  }
  const fw::Scoped<ModuleKind> profile = LoadPowerProfile();
  const auto capabilities = Lookup<GetCapabilitiesFn>(profile.Get(), "GetPwrCapabilities");
  SYSTEM_POWER_CAPABILITIES caps{};
  if (capabilities != nullptr && capabilities(&caps)) {
    facts.battery = caps.SystemBatteriesPresent != FALSE;
    facts.modernStandby = ModernStandby(caps);
  }
  const auto getActive = Lookup<GetActiveSchemeFn>(profile.Get(), "PowerGetActiveScheme");
  const auto readAc = Lookup<ReadValueIndexFn>(profile.Get(), "PowerReadACValueIndex");
  const auto readDc = Lookup<ReadValueIndexFn>(profile.Get(), "PowerReadDCValueIndex");
  if (getActive == nullptr || readAc == nullptr || readDc == nullptr) return facts;
  GUID* active = nullptr;
  const DWORD result = getActive(nullptr, &active);
  const std::unique_ptr<GUID, LocalFreer> scheme(active);
  if (result != ERROR_SUCCESS || scheme == nullptr) return facts;
  facts.wakeTimers = {ReadSetting(readAc, scheme.get()), ReadSetting(readDc, scheme.get())};
  facts.sleepAfter = ReadBoth<uint32_t>(readAc, readDc, scheme.get(), kSleepSubgroup, kSleepAfter);
  facts.hibernateAfter =
      ReadBoth<uint32_t>(readAc, readDc, scheme.get(), kSleepSubgroup, kHibernateAfter);
  facts.signInOnWake = ReadBoth<bool>(readAc, readDc, scheme.get(), kNoSubgroup, kConsoleLock);
  return facts;
}

}  // namespace ormidal
