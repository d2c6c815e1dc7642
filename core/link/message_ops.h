// Message boxes. Every box the program shows goes through MessageSink, one
// function pointer: the Windows program shows a real box (UTF-8 texts turned
// into UTF-16), tests record what would have been shown. Texts are UTF-8.
#pragma once

enum MessageIcon { kIconNone, kIconError, kIconWarning, kIconQuestion };
enum MessageButtons { kButtonsOk, kButtonsYesNo };
// kOwnerNone: task-modal without owner, above whatever dialog is open.
enum MessageOwner { kOwnerNone, kOwnerMainWindow };
// The same numbers as the Windows answer ids.
enum MessageAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

struct MessageRequest {
    const char* text;
    const char* caption;
    MessageIcon icon;
    MessageButtons buttons;
    bool beep;          // the default beep before the box
    MessageOwner owner;
};

using MessageSinkFn = int (*)(const MessageRequest& request);
// Returns the answer. Without a sink nothing is shown and the answer is
// kAnswerOk (kAnswerNo for a question).
extern MessageSinkFn MessageSink;

int ShowMessage(const MessageRequest& request);

// Beep, then a task-modal box without owner.
void ShowInfo(const char* text);      // caption "Success", no icon
void ShowError(const char* text);     // caption "Error", error icon
void ShowWarning(const char* text);   // caption "Error", warning icon
// As ShowError, after ending the reply wait: the reply status becomes 10
// (stop the running sequence) while a sequence runs, else 0.
void ShowReplyError(const char* text);
