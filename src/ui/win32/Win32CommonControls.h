#pragma once
// The rows of the common controls that show a value or a tree: track bar,
// progress bar, status bar and tree view (see Win32ControlKinds.h for the
// steps).

#include "ui/win32/Win32ControlKinds.h"

bool SyncTrackBar(TWin32Peer &peer, TControl &control, TProperty property);
void FirstSyncTrackBar(TWin32Peer &peer, TControl &control);
void NotifyTrackBar(TControl &control, const TWin32Notice &notice);
bool SyncGauge(TWin32Peer &peer, TControl &control, TProperty property);
void FirstSyncGauge(TWin32Peer &peer, TControl &control);
bool SyncStatusBar(TWin32Peer &peer, TControl &control, TProperty property);
void FirstSyncStatusBar(TWin32Peer &peer, TControl &control);
bool SyncTreeView(TWin32Peer &peer, TControl &control, TProperty property);
void FirstSyncTreeView(TWin32Peer &peer, TControl &control);
void NotifyTreeView(TControl &control, const TWin32Notice &notice);
