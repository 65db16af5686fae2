#pragma once

#include <QList>
#include <QString>

namespace bdg {

/// Style codes of a message: the low bits choose the buttons, 16/32/48/64 the icon, 256/512
/// the default button, 4096 makes the box system modal. These are the host's codes, kept as
/// plain integers because the inquiry passes them on unchanged.
namespace MessageStyle {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;
inline constexpr int DefaultButton3 = 512;
inline constexpr int SystemModal = 4096;
/// Abort/retry/ignore, retry preselected, critical icon, system modal: the error dialog.
inline constexpr int ErrorDialog = AbortRetryIgnore | Critical | DefaultButton2 | SystemModal;
} // namespace MessageStyle

/// The user's answer to a message, as the host reports it.
namespace MessageAnswer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MessageAnswer

/// The answer of the preselected button of `style` (what Enter would choose): an unattended
/// run gives that answer to a plain message.
int defaultAnswer(int style);

/// The answers of the buttons `style` shows, in the order they stand (OK and Cancel for
/// style 1).
QList<int> answersOf(int style);

/// How messages reach the user. The inquiry never talks to a window or a terminal directly:
/// the desktop host shows dialogs, the command line prints, the tests record and script.
class MessageService {
public:
    virtual ~MessageService() = default;

    /// Shows a message with the host's style code and title; returns the user's answer
    /// (MessageAnswer).
    virtual int ShowMessage(const QString& text, int style, const QString& title) = 0;

    /// Shows the error dialog for a trapped run-time error in `procedureName`; returns
    /// MessageAnswer::Abort, Retry or Ignore. `buttons` is a style code (normally
    /// MessageStyle::ErrorDialog).
    virtual int ShowError(const QString& applicationTitle, const QString& caption,
                          const QString& procedureName, const QString& errorText, int buttons) = 0;
};

} // namespace bdg
