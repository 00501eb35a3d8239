// The preparing window's timers as a state machine. The window only forwards WM_TIMER here
// and carries out what the machine asks of its host, so the timing can be tested with a fake
// clock. The flags are shared with the extraction workers and the picture window's thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace stepwise {

enum PreparingTimer : int {
    kTimerProgress = 1,         // 50 ms: steps the progress bar
    kTimerPayloadWait = 2,      // 100 ms: waits for the payload and the animation
    kTimerPayloadStart = 3,     // 1 s, one shot: starts the payload worker
    kTimerFirstStageStart = 4,  // 1 s, one shot: starts the multi1.cab worker
    kTimerFirstStageTicks = 5,  // 50 ms: the 50-tick wait of the first stage
    kTimerFirstStageWait = 6,   // 100 ms: waits for multi1.cab and the 50 ticks
};

constexpr unsigned kStartDelayMs = 1000;
constexpr unsigned kProgressPeriodMs = 50;
constexpr unsigned kWaitPeriodMs = 100;
constexpr int kProgressRange = 400;
constexpr int kProgressStep = 10;
constexpr int kFirstStageTicks = 50;

// Handshake values of the picture window.
constexpr std::uint32_t kSplashIdle = 0;
constexpr std::uint32_t kSplashOpened = 255;  // opened, first tick not yet seen
constexpr std::uint32_t kSplashClose = 111;   // the preparing window asks it to close
constexpr std::uint32_t kFirstStageDone = 255;

// The picture window's side of the handshake. On start-up: marks the window opened unless
// a request is already there, so a close asked for before the window came up is kept.
void SplashShown(std::atomic<std::uint32_t>& handshake);
// On each of its ticks: the first tick turns "opened" to idle; true once asked to close.
bool SplashShouldClose(std::atomic<std::uint32_t>& handshake);

enum class ExtractionStage { FirstStage, Payload };

// Each flag is one machine word written by one side and polled by the other.
struct PreparingFlags {
    std::atomic<std::uint32_t> payloadRunning{1};
    std::atomic<std::uint32_t> firstStageRunning{1};
    std::atomic<std::uint32_t> firstStageDone{0};
    std::atomic<std::uint32_t> splashHandshake{kSplashIdle};

    std::atomic<std::uint32_t>& RunningFlag(ExtractionStage stage) {
        return stage == ExtractionStage::Payload ? payloadRunning : firstStageRunning;
    }
};

class PreparingTimerHost {
  public:
    virtual ~PreparingTimerHost() = default;
    virtual void StartTimer(int id, unsigned periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    virtual void StartWorker(ExtractionStage stage) = 0;
    virtual void SetProgress(int position) = 0;
    // Preparation is over: in advanced mode the host runs the companion program first. The
    // host closes the window with OK.
    virtual void Finish(bool advanced) = 0;
};

class PreparingTimers {
  public:
    PreparingTimers(PreparingFlags& flags, PreparingTimerHost& host, bool advanced)
        : flags_(flags), host_(host), advanced_(advanced) {}

    // Clears the flags and progress; the running flags start at 1.
    void Reset();
    // Starts timer 4 when multi1.cab is present, else timer 3.
    void Begin(bool firstStagePresent);
    // One WM_TIMER. Ticks of a timer that was already stopped (still queued) are ignored.
    void OnTimer(int id);

    int progress() const { return progress_; }
    bool animationDone() const { return animationDone_; }
    bool finished() const { return finished_; }

  private:
    void PayloadStartTick();
    void ProgressTick();
    void PayloadWaitTick();
    void FirstStageStartTick();
    void FirstStageTick();
    void FirstStageWaitTick();
    bool Running(int id) const { return (runningTimers_ >> id) & 1u; }
    void Start(int id, unsigned periodMs);
    void Stop(int id);

    PreparingFlags& flags_;
    PreparingTimerHost& host_;
    bool advanced_;
    unsigned runningTimers_ = 0;  // bit per timer id
    int progress_ = 0;
    bool animationDone_ = false;
    int firstStageTicks_ = 0;
    bool firstStageWaitDone_ = false;
    bool finished_ = false;
};

}  // namespace stepwise
