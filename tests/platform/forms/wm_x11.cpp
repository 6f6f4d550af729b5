#include "wm_x11.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/forms/forms.h"

namespace korvalo::forms::wmtest {

namespace {

std::string g_skip;

// Our own connection, beside Qt's: what we read is what the server holds.
xcb_connection_t* Conn() {
  static xcb_connection_t* conn = [] {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
      xcb_disconnect(c);
      return static_cast<xcb_connection_t*>(nullptr);
    }
    return c;
  }();
  return conn;
}

xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(Conn())).data->root; }

xcb_atom_t Atom(const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      Conn(), xcb_intern_atom(Conn(), 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(r);
  return a;
}

std::vector<uint32_t> Property(xcb_window_t w, const char* name) {
  std::vector<uint32_t> out;
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      Conn(), xcb_get_property(Conn(), 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
  if (r && r->format == 32) {
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
    out.assign(v, v + xcb_get_property_value_length(r) / 4);
  }
  std::free(r);
  return out;
}

xcb_window_t WindowOf(Form& form) { return static_cast<xcb_window_t>(form.Window()->winId()); }

void SendState(xcb_window_t w, bool on, xcb_atom_t a, xcb_atom_t b) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = Atom("_NET_WM_STATE");
  ev.data.data32[0] = on ? 1 : 0;
  ev.data.data32[1] = a;
  ev.data.data32[2] = b;
  ev.data.data32[3] = 2;  // a user's action (pager, title bar)
  xcb_send_event(Conn(), 0, Root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(Conn());
}

}  // namespace

void SetSkipReason(const std::string& reason) { g_skip = reason; }
const std::string& SkipReason() { return g_skip; }

bool WaitForWindowManager(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  auto sleep = [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
  while (!Conn() || Property(Root(), "_NET_SUPPORTING_WM_CHECK").empty()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    sleep();
  }
  // The manager announces itself before it is ready to take windows in,
  // and a window mapped before then stays unframed: a probe window of ours
  // is mapped until one is framed.
  xcb_connection_t* c = Conn();
  while (std::chrono::steady_clock::now() < end) {
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, Root(), 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(c, probe);
    xcb_flush(c);
    bool framed = false;
    for (int i = 0; i < 25 && !framed; ++i) {
      sleep();
      framed = Property(probe, "_NET_FRAME_EXTENTS").size() == 4;
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    if (framed) return true;
  }
  return false;
}

std::string ToString(const Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

namespace {

Rect ClientRectOf(xcb_window_t w) {
  Rect out;
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(Conn(), xcb_get_geometry(Conn(), w), nullptr);
  if (g) {
    out.width = g->width;
    out.height = g->height;
  }
  std::free(g);
  xcb_translate_coordinates_reply_t* t =
      xcb_translate_coordinates_reply(Conn(), xcb_translate_coordinates(Conn(), w, Root(), 0, 0), nullptr);
  if (t) {
    out.x = t->dst_x;
    out.y = t->dst_y;
  }
  std::free(t);
  return out;
}

Rect FrameRectOf(xcb_window_t w) {
  Rect r = ClientRectOf(w);
  const std::vector<uint32_t> e = Property(w, "_NET_FRAME_EXTENTS");  // left right top bottom
  if (e.size() == 4) {
    r.x -= static_cast<int>(e[0]);
    r.y -= static_cast<int>(e[2]);
    r.width += static_cast<int>(e[0] + e[1]);
    r.height += static_cast<int>(e[2] + e[3]);
  }
  return r;
}

}  // namespace

Rect ClientRect(Form& form) { return ClientRectOf(WindowOf(form)); }
Rect FrameRect(Form& form) { return FrameRectOf(WindowOf(form)); }
Rect FrameRect(QWidget& window) { return FrameRectOf(static_cast<xcb_window_t>(window.winId())); }
bool Managed(QWidget& window) {
  return Property(static_cast<xcb_window_t>(window.winId()), "_NET_FRAME_EXTENTS").size() == 4;
}

bool PositionRequested(Form& form) {
  const std::vector<uint32_t> hints = Property(WindowOf(form), "WM_NORMAL_HINTS");
  return !hints.empty() && (hints[0] & (1u | 4u)) != 0;  // USPosition | PPosition
}

bool Managed(Form& form) { return Property(WindowOf(form), "_NET_FRAME_EXTENTS").size() == 4; }

bool ShownMaximised(Form& form) {
  const xcb_atom_t vert = Atom("_NET_WM_STATE_MAXIMIZED_VERT");
  const xcb_atom_t horz = Atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  bool v = false, h = false;
  for (uint32_t a : Property(WindowOf(form), "_NET_WM_STATE")) {
    v = v || a == vert;
    h = h || a == horz;
  }
  return v && h;
}

void AskMaximise(Form& form, bool on) {
  SendState(WindowOf(form), on, Atom("_NET_WM_STATE_MAXIMIZED_VERT"), Atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

void AskResize(Form& form, int widthPx, int heightPx) {
  // A configure request of another client goes to the manager, which
  // applies it as it applies the user's dragging of a frame edge.
  uint16_t mask = 0;
  std::vector<uint32_t> values;
  if (widthPx > 0) {
    mask |= XCB_CONFIG_WINDOW_WIDTH;
    values.push_back(static_cast<uint32_t>(widthPx));
  }
  if (heightPx > 0) {
    mask |= XCB_CONFIG_WINDOW_HEIGHT;
    values.push_back(static_cast<uint32_t>(heightPx));
  }
  xcb_configure_window(Conn(), WindowOf(form), mask, values.data());
  xcb_flush(Conn());
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

void Settle(std::chrono::milliseconds time) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < time.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

}  // namespace korvalo::forms::wmtest
