// Password sessions of TDevice: the factory password is tried before the
// user is asked; the meter keeps the session, the system keeps nothing.
#include "device/device.h"

#include "common/prompter.h"
#include "common/text_codec.h"
#include "device/device_exception.h"
#include "device/field_codecs.h"
#include "device/parameters.h"

namespace {

const int kPasswordSize = 8;
const char* const kDefaultPassword = "24681357";
const int kWrongPassword = 3;

const char* const kAskMainPrompt = "Введите основной пароль";
const char* const kAskAdditionalPrompt = "Введите дополнительный пароль";
const char* const kAskAnyPrompt = "Введите основной или дополнительный пароль";

// Exactly eight bytes on the wire whatever was typed: the single-byte code
// page keeps one byte per character.
QByteArray PasswordBytes(const QString& text) { return EncodeCp1251(PadRight(text, kPasswordSize)); }

QString PromptFor(uint8_t flags)
{
    if (!(flags & kAskAdditional)) return QString::fromUtf8(kAskMainPrompt);
    return QString::fromUtf8(flags & kAskAdditionalOnly ? kAskAdditionalPrompt : kAskAnyPrompt);
}

}  // namespace

bool TDevice::TryPassword(uint8_t level, const QString& password)
{
    const QByteArray bytes = PasswordBytes(password);
    try {
        WriteRequest(kCmdOpenSession, 0, level, bytes.constData(), kPasswordSize);
    } catch (const TDeviceException& e) {
        if (e.Code == kWrongPassword) return false;
        throw;
    }
    return true;
}

void TDevice::OpenSession(uint8_t flags)
{
    if (flags == 0) return;
    const QString defaultPassword = QString::fromLatin1(kDefaultPassword);
    if ((flags & kTryDefaultMain) && TryPassword(kLevelMain, defaultPassword)) return;
    if ((flags & kTryDefaultAdditional) && TryPassword(kLevelAdditional, defaultPassword)) return;
    if (flags & (kAskMain | kAskAdditional)) {
        const QString prompt = PromptFor(flags);
        for (;;) {
            QString text;
            if (!Prompter().AskPassword(prompt, &text)) break;
            if ((flags & kAskMain) && TryPassword(kLevelMain, text)) return;
            if ((flags & kAskAdditional) && TryPassword(kLevelAdditional, text)) return;
        }
    }
    throw TDeviceException(meAccessDenied);
}

void TDevice::CloseSession()
{
    SkipEchoCheck();
    WriteRequest(kCmdCloseSession, 0, 0, nullptr, 0);
}

void TDevice::ChangePassword(const QString& text)
{
    QString password = text;
    int level = kLevelMain;
    if (text.isEmpty() && !Prompter().AskNewPassword(&password, &level)) return;
    const uint8_t useLevel = level == kLevelAdditional ? kLevelAdditional : kLevelMain;
    OpenSession(useLevel == kLevelAdditional ? kSessionChangeAdditional : kSessionChangeMain);
    const QByteArray bytes = PasswordBytes(password);
    WriteEx(kPrmPassword, useLevel, bytes.constData(), kPasswordSize);
    CloseSession();
}
