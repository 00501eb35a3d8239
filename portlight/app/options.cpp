#include "app/options.h"

namespace portlight {

void SaveOptions(const Options& o, ProfileStore& store) {
    store.Write("Autohide", o.Autohide);
    store.Write("OnTop", o.OnTop);
    store.Write("Startup", o.Startup);
    store.Write("TrayIcon", o.TrayIcon);
    store.Write("ActiveOnly", o.ActiveOnly);
    store.Write("ResolveHosts", o.ResolveHosts);
    store.Write("ShowLocalHost", o.ShowLocalHost);
    store.Write("Monitor", o.Monitor);
    store.Write("Refresh", o.Refresh);
    store.Write("Unknown", o.Unknown);
    store.Write("SegmentPID", BoolText(o.SegmentPID));
    store.Write("Active", BoolText(o.Active));
    store.Write("SlidingEffect", BoolText(o.SlidingEffect));
}

}  // namespace portlight
