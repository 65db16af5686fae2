#pragma once

#include "host/contract/message_service.h"

#include <QList>
#include <QString>

#include <cstdio>
#include <deque>

namespace bdg {

/// One message as the recording service saw it.
struct RecordedMessage {
    enum class Kind { Message, Error };
    Kind kind = Kind::Message;
    QString text;             ///< the message text, or the error text
    int style = 0;            ///< style code, or the button code of an error
    QString title;            ///< the title, or the caption of an error
    QString applicationTitle; ///< errors only
    QString procedureName;    ///< errors only
    int answer = 0;           ///< what the service answered
};

/// Records every message and answers from a queue of scripted answers, for tests.
///
/// Scripted answers are consumed in order by messages and errors alike. With the queue
/// empty an error is answered with abort (so a failing retry loop always ends) and a
/// message with its default button.
class RecordingMessageService : public MessageService {
public:
    int ShowMessage(const QString& text, int style, const QString& title) override;
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, const QString& errorText, int buttons) override;

    /// Appends an answer to the queue.
    void queueAnswer(int answer);
    /// Everything shown so far, oldest first.
    const QList<RecordedMessage>& messages() const { return m_messages; }
    /// Only the errors, or only the plain messages.
    QList<RecordedMessage> errors() const;
    QList<RecordedMessage> plainMessages() const;
    /// Forgets the recorded messages and the queued answers.
    void clear();

private:
    int nextAnswer(int fallback);

    QList<RecordedMessage> m_messages;
    std::deque<int> m_answers;
};

/// Prints messages and errors on a stream (standard error by default) for the command
/// line. Nobody is there to answer: errors are answered with abort, messages with their
/// default button.
class ConsoleMessageService : public MessageService {
public:
    explicit ConsoleMessageService(std::FILE* stream = stderr);

    int ShowMessage(const QString& text, int style, const QString& title) override;
    int ShowError(const QString& applicationTitle, const QString& caption,
                  const QString& procedureName, const QString& errorText, int buttons) override;

private:
    void print(const QString& line);

    std::FILE* m_stream;
};

} // namespace bdg
