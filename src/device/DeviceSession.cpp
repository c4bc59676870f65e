// Opening and closing the session with the handheld.
#include "DeviceLink.h"

#include "catalog/MessageError.h"

void DeviceLink::connect() {
    const auto attempt = m_device.CeRapiInitEx();
    if (attempt && attempt->wait(m_connectTimeout) && attempt->result() >= 0)
        return;
    m_device.CeRapiUninit();
    std::string text = "Couldn't establish a connection to the device. Check Activesync connection";
    if (const std::string where = m_device.whereToFind(); !where.empty())
        text += "\n" + where;
    throw MessageError(text);
}

void DeviceLink::disconnect() {
    m_device.CeRapiUninit();
}
