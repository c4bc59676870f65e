// Opening and closing the session with the handheld.
#include "DeviceLink.h"

#include "catalog/MessageError.h"
#include "device/DeviceUpload.h"

void DeviceLink::connect() {
    const auto attempt = m_device.CeRapiInitEx();
    if (attempt && attempt->wait(m_connectTimeout) && attempt->result() >= 0) {
        // Whatever comes next reads the sounds, which an upload stopped half-way left mixed.
        static_cast<void>(DeviceUpload::recover(*this));
        return;
    }
    m_device.CeRapiUninit();
    std::string text = "Couldn't establish a connection to the device. Check Activesync connection";
    if (const std::string where = m_device.whereToFind(); !where.empty())
        text += "\n" + where;
    throw MessageError(text);
}

bool DeviceLink::disconnect() {
    return m_device.CeRapiUninit() >= 0;
}
