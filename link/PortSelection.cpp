#include "link/PortSelection.h"

#include <cstring>
#include <optional>

#include "base/Logger.h"
#include "link/PortOpenFailure.h"
#include "link/TransmitterLink.h"
#include "store/DbError.h"

namespace lumetra {
namespace {

constexpr const char* kHashes = "################################";

}  // namespace

CPortSelection::CPortSelection(CTransmitterLink& link, CDatabase& db, IPortSelectionView& view)
    : m_link(link), m_table(db), m_view(view) {}

int CPortSelection::ReadStoredPort() {
    try {
        const std::optional<int> number = m_table.Read();
        return number && *number >= 1 && *number <= kPortCount ? *number : 1;
    } catch (const CDbError& e) {
        m_view.ShowDatabaseError(e.what());
        return 1;
    }
}

void CPortSelection::Initialise() {
    const int number = ReadStoredPort();
    {
        std::lock_guard lock(m_lock);
        m_portNumber = number;
        m_view.SelectPortEntry(number - 1);
    }
    OnConnectClicked(true);
}

void CPortSelection::OnPortSelected(int index) {
    Logger().Log("port list: another port chosen%s", kHashes);
    m_link.CloseLink(true);
    std::lock_guard lock(m_lock);
    if (index >= 0 && index < kPortCount) m_portNumber = index + 1;
}

void CPortSelection::OnConnectClicked(bool connect) {
    ConnectResult result;
    {
        std::lock_guard lock(m_lock);
        if (connect)
            result = ConnectLocked();
        else
            DisconnectLocked();
    }
    // A box may wait for the operator, so it opens only after the lock is released: the worker
    // thread must never wait behind a box on the user-interface thread.
    switch (result.outcome) {
        case ConnectOutcome::kOpenFailed:
            m_view.ShowOpenFailed(result.text);
            break;
        case ConnectOutcome::kPortNotStored:
            m_view.ShowDatabaseError(result.text);
            break;
        case ConnectOutcome::kConnected:
            break;
    }
}

void CPortSelection::DisconnectLocked() {
    m_view.SetConnectButtonText(kConnectText);
    Logger().Log("port closed by the operator%s", kHashes);
    m_link.CloseLink(true);
    m_view.EnablePortList(true);
}

// Opens the port again even when the link still runs: after a loss the button reads "连  接", and
// the operator's click asks for a fresh connection.
CPortSelection::ConnectResult CPortSelection::ConnectLocked() {
    m_view.SetConnectButtonText(kDisconnectText);
    if (!m_link.OpenPort("com" + std::to_string(m_portNumber), kBaudRate, kDataBits)) {
        m_view.SetConnectButtonText(kConnectText);
        m_connectFailed = true;
        const std::string device = m_link.DevicePath();
        const int error = m_link.OpenError();
        Logger().Log("Cannot open Communication Port. %s: %s", device.c_str(),
                     error ? std::strerror(error) : "line settings refused");
        return {ConnectOutcome::kOpenFailed, PortOpenFailureText(device, error)};
    }
    m_connectFailed = false;  // the button follows the link again
    m_view.EnablePortList(false);
    return StorePort(m_portNumber);
}

CPortSelection::ConnectResult CPortSelection::StorePort(int number) {
    try {
        m_table.Write(number);
        return {};
    } catch (const CDbError& e) {
        // The connection stands; only remembering the port for the next start failed.
        return {ConnectOutcome::kPortNotStored, e.what()};
    }
}

void CPortSelection::OnLinkStatus(bool linkUp) {
    if (linkUp) {
        m_view.SetConnectButtonText(kDisconnectText);
        m_view.EnablePortList(false);
    } else if (!m_connectFailed) {
        m_view.SetConnectButtonText(kConnectText);
        m_view.EnablePortList(true);
    }
}

int CPortSelection::PortNumber() const {
    std::lock_guard lock(m_lock);
    return m_portNumber;
}

std::string CPortSelection::PortName() const {
    std::lock_guard lock(m_lock);
    return "com" + std::to_string(m_portNumber);
}

}  // namespace lumetra
