// Run-time errors and the texts that report them.
#pragma once

#include <QString>

#include <cstdint>
#include <exception>

namespace platform {

// Status of a call on a window or control; negative is a failure.
using Status = std::int32_t;
inline constexpr Status kOk = 0;
inline constexpr Status kFailed = static_cast<Status>(0x80004005u);

// Member numbers of the checked calls: the numbers of these members in the
// window and control interfaces. The report of a failed call shows the number
// to the user ("成员：688"), so each keeps its value.
enum class Member : int {
    Unload = 16,
    FetchText = 160,
    SetText = 164,
    SetFocusButton = 420,
    SetFocusTextBox = 516,
    Show = 688,
};

// A failed call on a window or control; the program ends after its report.
class CheckedCallError : public std::exception {
public:
    CheckedCallError(Status status, const char* interfaceId, Member member, QString object);
    Status status() const { return status_; }
    Member member() const { return member_; }
    QString Report() const;
    const char* what() const noexcept override { return "checked call failed"; }

private:
    Status status_;
    const char* interfaceId_;
    Member member_;
    QString object_;
};

// The program could not start the browser; reported, and the program goes on.
class LaunchError : public std::exception {
public:
    explicit LaunchError(QString target) : target_(std::move(target)) {}
    QString Report() const;
    const char* what() const noexcept override { return "launch failed"; }

private:
    QString target_;
};

// Title of every run-time error report.
QString ReportTitle();

} // namespace platform
