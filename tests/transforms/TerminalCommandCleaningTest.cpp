#include "TransformCases.h"

using T = ClipboardTextTransform;

TEST(TerminalCommandCleaning, PromptsContinuationsAndDecorations)
{
    expectTransforms({
        {T::cleanTerminalCommand, QStringLiteral(" $ docker run \\\r\n   -it ubuntu\r\n"),
            QStringLiteral("docker run -it ubuntu")},
        {T::cleanTerminalCommand, QStringLiteral("user@host ~/src % make all"), QStringLiteral("make all")},
        {T::cleanTerminalCommand, QStringLiteral("host ~ # apt update"), QStringLiteral("apt update")},
        // The bash prompts of Linux distributions, with the prompt character glued to the directory.
        {T::cleanTerminalCommand, QStringLiteral("alice@laptop:~/src$ make all"), QStringLiteral("make all")},
        {T::cleanTerminalCommand, QStringLiteral("root@box:/etc# apt update"), QStringLiteral("apt update")},
        {T::cleanTerminalCommand, QStringLiteral("me@pc:~$ echo a # b"), QStringLiteral("echo a # b")},
        // A word followed by a comment sign looks like a prompt.
        {T::cleanTerminalCommand, QStringLiteral("sudo # note"), QStringLiteral("note")},
        {T::cleanTerminalCommand, QStringLiteral(u"\u276F npm test\n\u279C  ls"), QStringLiteral("npm test ls")},
        {T::cleanTerminalCommand, QStringLiteral(u"\u2502 \u258C $ echo hi\n\u2503 \u2551 \n> \u2590 pwd"),
            QStringLiteral("echo hi pwd")},
        {T::cleanTerminalCommand, QStringLiteral("git   commit\t-m  x"), QStringLiteral("git commit -m x")},
        {T::cleanTerminalCommand, QStringLiteral("$"), QStringLiteral("$")},
        {T::cleanTerminalCommand, QStringLiteral("ls \\\n\\\n"), QStringLiteral("ls")},
        {T::cleanTerminalCommand, QStringLiteral(" \n\n "), QString()},
    });
}

TEST(TerminalCommandCleaning, EscapeSequencesGoAndTheirTextStays)
{
    expectTransforms({
        {T::cleanTerminalCommand, QStringLiteral("\x1B[1;32mgreen\x1B[0m text\x1B[2K"), QStringLiteral("green text")},
        {T::cleanTerminalCommand, QStringLiteral("$ \x1B[01;34mls\x1B[m -l"), QStringLiteral("ls -l")},
    });
}
