#include "app/options.h"

#include "capture/netstat_command.h"

namespace portlight {

bool ReadBoolOption(ProfileStore& store, const std::string& key, bool fallback) {
    return OptionIsTrue(store.Read(key, BoolText(fallback)));
}

void SaveOptions(const Options& o, ProfileStore& store) {
    store.Write("Autohide", BoolText(o.Autohide));
    store.Write("OnTop", BoolText(o.OnTop));
    store.Write("Startup", BoolText(o.Startup));
    store.Write("TrayIcon", BoolText(o.TrayIcon));
    store.Write("ActiveOnly", BoolText(o.ActiveOnly));
    store.Write("ResolveHosts", BoolText(o.ResolveHosts));
    store.Write("ShowLocalHost", BoolText(o.ShowLocalHost));
    store.Write("Monitor", o.Monitor);
    store.Write("Refresh", o.Refresh);
    store.Write("Unknown", o.Unknown);
    store.Write("SegmentPID", BoolText(o.SegmentPID));
    store.Write("Active", BoolText(o.Active));
    store.Write("SlidingEffect", BoolText(o.SlidingEffect));
}

}  // namespace portlight
