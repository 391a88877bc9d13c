// What the link needs from its surroundings: a way to send frame bytes, an owner to tell things to,
// a clock, and the device's text code page. One implementation per platform and a fake for tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vela {

// Sends one whole frame to the device (the transport adds its own envelope). True when written.
class IFrameSender {
  public:
    virtual ~IFrameSender() = default;
    [[nodiscard]] virtual bool SendFrameBytes(std::span<const std::uint8_t> frame) = 0;
};

// The codes of the link's notifications to its owner.
enum class LinkNotify : int {
    kParameter = 0,       // lParam: index whose value arrived
    kTableChanged = 1,    // a bulk operation changed the table
    kDisplayUpdated = 2,  // display update finished
    kAllRead = 3,         // every parameter has been read
    kLinkState = 4,       // sent synchronously; lParam a LinkStateCode
    kProgressHidden = 8,  // a bulk operation finished and the progress display was hidden
};

enum class LinkStateCode : int { kConnected = 0, kNotConnected = 1, kStarting = 3 };

enum class MessageButtons { kOk, kOkCancel, kYesNo };
enum class MessageAnswer { kOk, kCancel, kYes, kNo };

// The owner of the link (main window, velactl, a test recorder). Called from the link worker thread.
class ILinkHost {
  public:
    virtual ~ILinkHost() = default;
    virtual void PostNotify(LinkNotify code, std::intptr_t value) = 0;
    // Returns only once the owner has handled it.
    virtual void SendNotify(LinkNotify code, std::intptr_t value) = 0;
    // Modal: blocks the caller until answered. An empty caption means the owner's title.
    virtual MessageAnswer ShowMessage(std::wstring_view text, std::wstring_view caption,
                                      MessageButtons buttons) = 0;
    virtual void ProgressSetRange(int maximum) = 0;
    // A format with one floating-point placeholder for the percentage, e.g. L"Read Device Data:%5.0f %%".
    virtual void ProgressSetFormat(std::wstring_view format) = 0;
    virtual void ProgressSetPos(int position) = 0;
    virtual void ProgressShow(bool visible) = 0;
    virtual void SetTitle(std::wstring_view title) = 0;
};

// Millisecond tick and sleep; a faster clock lets tests run the link's timings quickly.
class IClock {
  public:
    virtual ~IClock() = default;
    virtual std::uint32_t TickMs() = 0;  // wraps like a 32-bit tick count
    virtual void SleepMs(std::uint32_t ms) = 0;
    // How long a wait of ms on this clock lasts in real time.
    virtual std::chrono::microseconds RealDuration(std::uint32_t ms) = 0;
};

// Real time, optionally sped up: with speed 10 a 100 ms sleep lasts 10 ms and ticks run 10 times faster.
class SystemClock final : public IClock {
  public:
    explicit SystemClock(double speed = 1.0);
    std::uint32_t TickMs() override;
    void SleepMs(std::uint32_t ms) override;
    std::chrono::microseconds RealDuration(std::uint32_t ms) override;

  private:
    double speed_;
    std::chrono::steady_clock::time_point start_;
};

// Wide text to and from the device's ANSI bytes (scene names, file names).
class ITextCodePage {
  public:
    virtual ~ITextCodePage() = default;
    virtual std::wstring ToWide(std::span<const std::uint8_t> bytes) = 0;
    virtual std::string FromWide(std::wstring_view text) = 0;
};

// The platform's: the ANSI code page on Windows; elsewhere the named code page (GBK unless told).
ITextCodePage& SystemCodePage();

}  // namespace vela
