// Map notifications of the root window's children, read straight from the X connection.
#include "WindowWatch.h"

#include "Clocks.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <poll.h>

namespace {

quint32 atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const quint32 value = reply ? reply->atom : 0;
    std::free(reply);
    return value;
}

} // namespace

WindowWatch::WindowWatch(const QString& display) {
    xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that the watch is in place before the program under test is started.
    xcb_generic_error_t* error = xcb_request_check(
        connection,
        xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &mask));
    if (error) {
        std::free(error);
        xcb_disconnect(connection);
        m_connection = nullptr;
        return;
    }
    m_netWmName = atom(connection, "_NET_WM_NAME");
    m_utf8 = atom(connection, "UTF8_STRING");
}

WindowWatch::~WindowWatch() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

QString WindowWatch::titleOf(quint32 window) {
    const auto read = [&](quint32 property, quint32 type) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024),
            nullptr);
        QString text;
        if (reply && xcb_get_property_value_length(reply) > 0)
            text = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                     xcb_get_property_value_length(reply));
        std::free(reply);
        return text;
    };
    const QString name = read(m_netWmName, m_utf8);
    return name.isEmpty() ? read(XCB_ATOM_WM_NAME, XCB_ATOM_STRING) : name;
}

WindowWatch::Shown WindowWatch::waitForShown(const QString& title, int timeoutMs) {
    if (!m_connection)
        return {};
    const double end = Clocks::monotonic() + timeoutMs / 1000.0;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const double seen = Clocks::monotonic();
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const quint32 window =
                mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
            std::free(event);
            if (mapped && titleOf(window) == title)
                return {seen, window};
        }
        if (xcb_connection_has_error(m_connection))
            return {};
        const double left = end - Clocks::monotonic();
        if (left <= 0)
            return {};
        pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        poll(&descriptor, 1, int(left * 1000.0) + 1);
    }
}
