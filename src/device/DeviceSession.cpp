// Opening and closing the session with the handheld.
#include "DeviceLink.h"

#include "catalog/MessageError.h"
#include "device/DeviceUpload.h"

#include <algorithm>

namespace {

// HRESULT_FROM_WIN32(ERROR_INVALID_PASSWORD): the handheld is locked with its password.
constexpr std::int32_t HandheldLocked = static_cast<std::int32_t>(0x80070056);

} // namespace

bool DeviceLink::connect(const std::function<bool()>& stillWanted) {
    using namespace std::chrono;
    const auto attempt = m_device.CeRapiInitEx();
    const auto deadline = steady_clock::now() + m_connectTimeout;
    bool finished = false;
    try {
        // In slices, so that the one who waits can give up between them.
        while (attempt && !finished) {
            const auto left = ceil<milliseconds>(deadline - steady_clock::now());
            finished = attempt->wait(std::clamp(left, milliseconds(0), ConnectSlice));
            if (finished || left <= ConnectSlice)
                break;
            if (stillWanted && !stillWanted()) {
                m_device.CeRapiUninit();
                return false;
            }
        }
    } catch (...) {
        m_device.CeRapiUninit();
        throw;
    }
    if (finished && attempt->result() >= 0) {
        // Whatever comes next reads the sounds, which an upload stopped half-way left mixed. A
        // failure there ends the session it opened.
        try {
            static_cast<void>(DeviceUpload::recover(*this));
        } catch (...) {
            m_device.CeRapiUninit();
            throw;
        }
        return true;
    }
    m_device.CeRapiUninit();
    if (finished && attempt->result() == HandheldLocked)
        throw MessageError("The Pocket PC is locked. Unlock it and try again.");
    std::string text = "Couldn't establish a connection to the device. Check Activesync connection";
    if (const std::string where = m_device.whereToFind(); !where.empty())
        text += "\n" + where;
    throw MessageError(text);
}

bool DeviceLink::disconnect() {
    return m_device.CeRapiUninit() >= 0;
}
