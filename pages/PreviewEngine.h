#pragma once

// The light preview of a device page: the LED colour array the renderers write and the page
// paints from, the light settings the renderers follow, the renderers' own state (breath phase,
// hue, blink, custom effect step, per-LED levels, fades and pattern) and the thread that renders
// one frame per frame interval. No widgets: the page paints the buttons from GetLedColour.
//
// Threads: the preview thread renders; the user-interface thread reads the colours, changes the
// settings and the per-LED lists; a listener thread may flag fades (key presses). Each LED colour
// is one 32-bit word read and written whole. The per-LED fade and pattern state is guarded by the
// LED lock, the per-LED records and the custom effect steps by the LED list lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "core/base/WorkerThread.h"
#include "core/profile/LightSetting.h"
#include "core/profile/ProfileRecords.h"
#include "pages/PreviewTables.h"

namespace q840::pages {

// What the preview thread asks of its page.
class IPreviewHost {
public:
    virtual ~IPreviewHost() = default;
    // Whether a frame is of any use now (a device is there, and someone sees the preview or it
    // drives the device). While not, the thread looks again every 100 ms.
    virtual bool IsPreviewWanted() const = 0;
    // Whether the frame that is due is the preview's to render (the synchronised lighting may be
    // writing the colours instead).
    virtual bool MayRenderPreviewFrame() const = 0;
    // Renders one frame of `effect` (the page's renderers, which may be its own).
    virtual void RenderPreviewFrame(int effect) = 0;
};

class PreviewEngine {
public:
    static constexpr int kMaxLeds = 256;
    static constexpr int kLedPatternLength = 23;
    static constexpr int kLedRecordSize = 14;
    static constexpr int kStopWaitMs = 1000;
    static constexpr int kIdleMs = 100;  // no frame wanted: look again this often

    using LedRecord = std::array<uint8_t, kLedRecordSize>;
    using LedPattern = std::array<uint8_t, kLedPatternLength>;

    // Parameters of one rendered frame: the light settings or a custom effect's step.
    struct FrameParams {
        int brightness = 0;
        int speed = 0;
        int direction = 0;
        bool multiColour = false;
        Rgb colour;
    };

    explicit PreviewEngine(IPreviewHost& host);
    // Stops the thread. A host whose RenderPreviewFrame uses its own members stops it first.
    ~PreviewEngine();
    PreviewEngine(const PreviewEngine&) = delete;
    PreviewEngine& operator=(const PreviewEngine&) = delete;

    // --- thread -------------------------------------------------------------------------------
    // (Re)starts the thread: one frame of the current effect per frame interval of the current
    // speed, sleeping until the next frame is due.
    void Start();
    // Stops it within kStopWaitMs; writes the stop result line when a thread was running.
    void Stop();
    bool IsRunning() const { return m_thread.IsRunning(); }
    // Wake-ups of the thread since it started (for measurements).
    uint64_t Wakeups() const { return m_wakeups.load(); }
    // Passes the thread has finished since it started: each looked and drew the frame if one was
    // wanted and allowed, and is counted before the thread sleeps again (tests wait on it).
    uint64_t Passes() const { return m_passes.load(); }

    // --- LEDs and settings --------------------------------------------------------------------
    void SetLedCount(int count);  // clamped to 0-kMaxLeds
    int GetLedCount() const { return m_ledCount.load(); }
    // Outside 0..count-1 a set is ignored and a get gives 0.
    void SetLedColour(int index, uint32_t value);
    uint32_t GetLedColour(int index) const;
    void FillAll(uint32_t value);

    void SetLightSettings(const profile::LightSetting& settings);
    profile::LightSetting GetLightSettings() const;
    FrameParams CurrentFrameParams() const;

    // --- renderers of the effects every page has -----------------------------------------------
    void DoStatic(const FrameParams& p);
    void DoBreathing(const FrameParams& p, bool fourColours);
    void DoSpectrum(const FrameParams& p);
    void DoBlink(const FrameParams& p, bool fourColours);
    // Effect codes 0, 1, 3, 5, 6, 8 and 10; false for any other.
    bool RenderBaseEffect(int effect, const FrameParams& p);
    // One frame of a custom light effect (the caller holds the LED list lock): a step plays its
    // effect through `render` for "Time" ms, "Cyle" times over; a step naming no effect `render`
    // knows shows dark for its time; with no steps, all LEDs are off.
    using EffectRenderer = std::function<bool(int effect, const FrameParams& p)>;
    void RenderCustomEffect(const std::vector<profile::LightEffectStep>& steps,
                            const EffectRenderer& render);

    // --- per-LED state (LED lock) ---------------------------------------------------------------
    uint8_t GetLedLevel(int led) const;
    void SetLedLevel(int led, uint8_t level);
    void FlagLedFade(int led);
    // Starts a rise from dark (the reactive effect's fade-in).
    void StartLedRise(int led);
    // One step of an LED's fade: mode 0 only lets a lit LED die down; any other mode runs the
    // whole rise and fall.
    void StepLedFade(int led, int mode);
    // Starts the fall of every flagged LED at level 255.
    void ArmLedFades();
    void RotateLedPattern(int direction);
    LedPattern GetLedPattern() const;
    void SetLedPattern(const LedPattern& pattern);
    // Zeroes the levels, the fades and the pattern.
    void ClearPerLedState();

    // Per-LED records (custom colours and areas): replaced whole under the LED list lock, so the
    // renderers never see a half-rebuilt list.
    void SetLedRecords(std::vector<LedRecord> records);
    std::vector<LedRecord> GetLedRecords() const;

    std::recursive_mutex& LedLock() const { return m_ledLock; }
    std::recursive_mutex& LedListLock() const { return m_ledListLock; }

private:
    void Body(const StopEvent& stop);

    IPreviewHost& m_host;
    WorkerThread m_thread;
    std::atomic<uint64_t> m_wakeups{0};
    std::atomic<uint64_t> m_passes{0};

    std::atomic<int> m_ledCount{0};
    std::array<std::atomic<uint32_t>, kMaxLeds> m_ledColours{};

    mutable std::mutex m_settingsMutex;
    profile::LightSetting m_settings;

    // Written by the renderers (the preview thread, or the caller of a renderer).
    int m_breathPhase = 0;
    int m_hue = 0;
    int m_fixedColourIndex = 0;
    bool m_blinkOn = true;
    int m_blinkElapsedMs = 0;
    size_t m_customStep = 0;
    int m_customElapsedMs = 0;

    mutable std::recursive_mutex m_ledLock;
    mutable std::recursive_mutex m_ledListLock;
    std::array<uint8_t, kMaxLeds> m_ledLevels{};
    std::array<uint8_t, kMaxLeds> m_ledFadeStates{};
    std::array<uint8_t, kMaxLeds> m_ledFadeFlags{};
    LedPattern m_ledPattern{};
    std::vector<LedRecord> m_ledRecords;
};

}  // namespace q840::pages
