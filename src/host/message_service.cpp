#include "host/message_service.h"

#include <QByteArray>

namespace bdg {

int defaultAnswer(int style) {
    const int buttons = style & 7;
    const int preselected = (style >> 8) & 3; // 0 first button, 1 second, 2 third
    switch (buttons) {
    case MessageStyle::OkCancel:
        return preselected == 0 ? MessageAnswer::Ok : MessageAnswer::Cancel;
    case MessageStyle::AbortRetryIgnore: {
        static constexpr int answers[] = {MessageAnswer::Abort, MessageAnswer::Retry,
                                          MessageAnswer::Ignore};
        return answers[preselected > 2 ? 0 : preselected];
    }
    case MessageStyle::YesNoCancel: {
        static constexpr int answers[] = {MessageAnswer::Yes, MessageAnswer::No,
                                          MessageAnswer::Cancel};
        return answers[preselected > 2 ? 0 : preselected];
    }
    case MessageStyle::YesNo:
        return preselected == 0 ? MessageAnswer::Yes : MessageAnswer::No;
    case MessageStyle::RetryCancel:
        return preselected == 0 ? MessageAnswer::Retry : MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

QList<int> answersOf(int style) {
    switch (style & 7) {
    case MessageStyle::OkCancel:
        return {MessageAnswer::Ok, MessageAnswer::Cancel};
    case MessageStyle::AbortRetryIgnore:
        return {MessageAnswer::Abort, MessageAnswer::Retry, MessageAnswer::Ignore};
    case MessageStyle::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    case MessageStyle::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageStyle::RetryCancel:
        return {MessageAnswer::Retry, MessageAnswer::Cancel};
    default:
        return {MessageAnswer::Ok};
    }
}

int RecordingMessageService::ShowMessage(const QString& text, int style, const QString& title) {
    RecordedMessage message;
    message.kind = RecordedMessage::Kind::Message;
    message.text = text;
    message.style = style;
    message.title = title;
    message.answer = nextAnswer(defaultAnswer(style));
    m_messages.append(message);
    return message.answer;
}

int RecordingMessageService::ShowError(const QString& applicationTitle, const QString& caption,
                                       const QString& procedureName, const QString& errorText,
                                       int buttons) {
    RecordedMessage message;
    message.kind = RecordedMessage::Kind::Error;
    message.text = errorText;
    message.style = buttons;
    message.title = caption;
    message.applicationTitle = applicationTitle;
    message.procedureName = procedureName;
    message.answer = nextAnswer(MessageAnswer::Abort);
    m_messages.append(message);
    return message.answer;
}

void RecordingMessageService::queueAnswer(int answer) {
    m_answers.push_back(answer);
}

QList<RecordedMessage> RecordingMessageService::errors() const {
    QList<RecordedMessage> result;
    for (const RecordedMessage& message : m_messages) {
        if (message.kind == RecordedMessage::Kind::Error)
            result.append(message);
    }
    return result;
}

QList<RecordedMessage> RecordingMessageService::plainMessages() const {
    QList<RecordedMessage> result;
    for (const RecordedMessage& message : m_messages) {
        if (message.kind == RecordedMessage::Kind::Message)
            result.append(message);
    }
    return result;
}

void RecordingMessageService::clear() {
    m_messages.clear();
    m_answers.clear();
}

int RecordingMessageService::nextAnswer(int fallback) {
    if (m_answers.empty())
        return fallback;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

ConsoleMessageService::ConsoleMessageService(std::FILE* stream) : m_stream(stream) {}

int ConsoleMessageService::ShowMessage(const QString& text, int style, const QString& title) {
    print(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    return defaultAnswer(style);
}

int ConsoleMessageService::ShowError(const QString& applicationTitle, const QString& caption,
                                     const QString& procedureName, const QString& errorText,
                                     int /*buttons*/) {
    QString source = applicationTitle;
    if (!caption.isEmpty())
        source += (source.isEmpty() ? QString() : QStringLiteral(" - ")) + caption;
    const QString where =
        procedureName.isEmpty() ? QString() : QStringLiteral(" in ") + procedureName;
    print(QStringLiteral("error%1%2: %3")
              .arg(where,
                   source.isEmpty() ? QString() : QStringLiteral(" (") + source + QLatin1Char(')'),
                   errorText));
    // Nobody can answer on the command line: the procedure is abandoned.
    return MessageAnswer::Abort;
}

void ConsoleMessageService::print(const QString& line) {
    if (m_stream == nullptr)
        return;
    const QByteArray bytes = line.toUtf8();
    std::fprintf(m_stream, "%s\n", bytes.constData());
    std::fflush(m_stream);
}

} // namespace bdg
