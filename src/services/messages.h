#pragma once

#include <QString>

namespace tavelon {

enum class MessageIcon { None, Stop, Question, Warning, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The one way the program asks or tells the user something. The window shows message boxes, the
// batch mode writes a line to stderr, tests script the answers and record the texts.
class MessageService
{
public:
    virtual ~MessageService() = default;
    virtual MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons,
                               MessageIcon icon, MessageAnswer defaultAnswer) = 0;

    void inform(const QString &title, const QString &text, MessageIcon icon)
    {
        show(title, text, MessageButtons::Ok, icon, MessageAnswer::Ok);
    }
};

} // namespace tavelon
