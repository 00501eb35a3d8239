#include "extract/preparing_timers.h"

namespace stepwise {

void SplashShown(std::atomic<std::uint32_t>& handshake) {
    std::uint32_t idle = kSplashIdle;
    handshake.compare_exchange_strong(idle, kSplashOpened);
}

bool SplashShouldClose(std::atomic<std::uint32_t>& handshake) {
    std::uint32_t expected = kSplashOpened;
    if (handshake.compare_exchange_strong(expected, kSplashIdle))
        return false;
    return expected == kSplashClose;
}

void PreparingTimers::Reset() {
    flags_.payloadRunning = 1;
    flags_.firstStageRunning = 1;
    flags_.firstStageDone = 0;
    progress_ = 0;
    animationDone_ = false;
    firstStageTicks_ = 0;
    firstStageWaitDone_ = false;
    finished_ = false;
}

void PreparingTimers::Begin(bool firstStagePresent) {
    if (firstStagePresent)
        Start(kTimerFirstStageStart, kStartDelayMs);
    else
        Start(kTimerPayloadStart, kStartDelayMs);
}

void PreparingTimers::Start(int id, unsigned periodMs) {
    runningTimers_ |= 1u << id;
    host_.StartTimer(id, periodMs);
}

void PreparingTimers::Stop(int id) {
    runningTimers_ &= ~(1u << id);
    host_.StopTimer(id);
}

void PreparingTimers::OnTimer(int id) {
    if (id < kTimerProgress || id > kTimerFirstStageWait || !Running(id) || finished_)
        return;
    switch (id) {
        case kTimerPayloadStart:
            PayloadStartTick();
            break;
        case kTimerProgress:
            ProgressTick();
            break;
        case kTimerPayloadWait:
            PayloadWaitTick();
            break;
        case kTimerFirstStageStart:
            FirstStageStartTick();
            break;
        case kTimerFirstStageTicks:
            FirstStageTick();
            break;
        case kTimerFirstStageWait:
            FirstStageWaitTick();
            break;
    }
}

void PreparingTimers::PayloadStartTick() {
    Stop(kTimerPayloadStart);
    Start(kTimerProgress, kProgressPeriodMs);
    host_.StartWorker(ExtractionStage::Payload);
}

void PreparingTimers::ProgressTick() {
    progress_ += kProgressStep;
    host_.SetProgress(progress_);
    if (progress_ >= kProgressRange) {
        Stop(kTimerProgress);
        animationDone_ = true;
        Start(kTimerPayloadWait, kWaitPeriodMs);
    }
}

void PreparingTimers::PayloadWaitTick() {
    if (flags_.payloadRunning != 0 || !animationDone_)
        return;
    Stop(kTimerPayloadWait);
    if (!advanced_)
        flags_.splashHandshake = kSplashClose;
    finished_ = true;
    host_.Finish(advanced_);
}

void PreparingTimers::FirstStageStartTick() {
    Stop(kTimerFirstStageStart);
    Start(kTimerFirstStageTicks, kProgressPeriodMs);
    host_.StartWorker(ExtractionStage::FirstStage);
}

void PreparingTimers::FirstStageTick() {
    if (++firstStageTicks_ < kFirstStageTicks)
        return;
    Stop(kTimerFirstStageTicks);
    firstStageWaitDone_ = true;
    Start(kTimerFirstStageWait, kWaitPeriodMs);
}

void PreparingTimers::FirstStageWaitTick() {
    if (flags_.firstStageRunning != 0 || !firstStageWaitDone_)
        return;
    Stop(kTimerFirstStageWait);
    flags_.firstStageDone = kFirstStageDone;
    Start(kTimerPayloadStart, kStartDelayMs);
}

}  // namespace stepwise
