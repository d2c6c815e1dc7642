#include "sim/live_status.h"

namespace {

int Channels(const SimUnit& unit)
{
    return unit.settings.ChannelCount;
}

// The first input from `start` on (wrapping) with a dwell time above 0; -1
// when the pattern gives every input 0 seconds.
int FirstDwellChannel(const int* dwell, int channels, int start)
{
    for (int k = 0; k < channels; ++k) {
        const int c = (start + k) % channels;
        if (dwell[c] > 0)
            return c;
    }
    return -1;
}

int64_t CycleLengthMs(const int* dwell, int channels)
{
    int64_t total = 0;
    for (int c = 0; c < channels; ++c)
        if (dwell[c] > 0)
            total += dwell[c] * int64_t{1000};
    return total;
}

void RestartCycle(AutoSwitchCycle& cycle, int source, const int* dwell, int channels, int64_t nowMs)
{
    cycle.source = source;
    const int first = FirstDwellChannel(dwell, channels, 0);
    if (first < 0) {
        // Every dwell time is 0: nothing to cycle through, so the output
        // holds the first input until the pattern gets a time again.
        cycle.channel = 0;
        cycle.switchAt = kNever;
        return;
    }
    cycle.channel = first;
    cycle.switchAt = nowMs + dwell[first] * int64_t{1000};
}

void AdvanceCycle(SimUnit& unit, int output, int64_t nowMs)
{
    AutoSwitchCycle& cycle = unit.cycle[output];
    const int channels = Channels(unit);
    const int source = LiveSourceOfOutput(unit, output);
    if (source < channels) {
        cycle.source = -1;
        cycle.channel = source;
        cycle.switchAt = kNever;
        return;
    }
    const int* dwell = unit.settings.AutoSwitchPatternTable[source - channels];
    if (cycle.source != source) {
        RestartCycle(cycle, source, dwell, channels, nowMs);
        return;
    }
    if (cycle.switchAt == kNever) {
        if (FirstDwellChannel(dwell, channels, 0) >= 0)
            RestartCycle(cycle, source, dwell, channels, nowMs);
        return;
    }
    while (cycle.switchAt <= nowMs) {
        const int64_t total = CycleLengthMs(dwell, channels);
        if (total == 0) {
            cycle.switchAt = kNever;
            return;
        }
        // After a long pause whole rounds change nothing: skip them.
        if (nowMs - cycle.switchAt >= total)
            cycle.switchAt += (nowMs - cycle.switchAt) / total * total;
        const int next = FirstDwellChannel(dwell, channels, cycle.channel + 1);
        cycle.channel = next;
        cycle.switchAt += dwell[next] * int64_t{1000};
    }
}

int NextFlapInput(const VideoState& video, int after)
{
    for (int k = 1; k <= kMaxChannels; ++k) {
        const int input = (after + k) % kMaxChannels;
        if (!video.permanentlyLost[input])
            return input;
    }
    return -1;
}

void AdvanceFlap(VideoState& video, int64_t nowMs)
{
    if (video.flapInput < 0)
        return;
    while (video.nextFlapAt <= nowMs) {
        if (!video.flapLost) {
            video.flapLost = true;
        } else {
            video.flapLost = false;
            video.flapInput = NextFlapInput(video, video.flapInput);
        }
        video.nextFlapAt += video.flapPeriodMs;
    }
}

} // namespace

void StartVideoState(VideoState& video, const bool (&lost)[kMaxChannels], int flapSeconds, int64_t nowMs)
{
    for (int i = 0; i < kMaxChannels; ++i)
        video.permanentlyLost[i] = lost[i];
    video.flapPeriodMs = flapSeconds > 0 ? flapSeconds * int64_t{1000} : 0;
    video.flapLost = false;
    video.flapInput = video.flapPeriodMs > 0 ? NextFlapInput(video, kMaxChannels - 1) : -1;
    video.nextFlapAt = video.flapInput >= 0 ? nowMs + video.flapPeriodMs : kNever;
}

int LiveSourceOfOutput(const SimUnit& unit, int output)
{
    return unit.settings.DisplayPatternTable[unit.settings.CurrentDisplayPattern][output];
}

int LiveChannelOfOutput(const SimUnit& unit, int output)
{
    const int source = LiveSourceOfOutput(unit, output);
    return source < Channels(unit) ? source : unit.cycle[output].channel;
}

bool InputHasVideo(const SimUnit& unit, int input)
{
    const VideoState& video = unit.video;
    if (video.permanentlyLost[input])
        return false;
    return !(video.flapLost && video.flapInput == input);
}

void AdvanceLiveStatus(SimUnit& unit, int64_t nowMs)
{
    for (int output = 0; output < kOutputCount; ++output)
        AdvanceCycle(unit, output, nowMs);
    AdvanceFlap(unit.video, nowMs);
}

int64_t NextLiveDeadline(const SimUnit& unit)
{
    int64_t next = unit.video.flapInput >= 0 ? unit.video.nextFlapAt : kNever;
    for (const AutoSwitchCycle& cycle : unit.cycle)
        if (cycle.source >= 0 && cycle.switchAt < next)
            next = cycle.switchAt;
    return next;
}
