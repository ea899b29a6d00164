#pragma once
// Walks a window tree as assistive technology would see it.
#include "ui/Accessibility.h"

#include <string>
#include <vector>

// The elements of the shown controls under root that have no name (plain
// containers aside), as
// "Parent.Control" (a link: "Parent.Control#link"); with every element
// counted in count.
inline void CollectUnnamed(const TWinControl &root, std::vector<std::string> &unnamed,
                           int &count) {
  for (const TAccessibleElement &e : AccessibleChildren(root)) {
    ++count;
    // A plain container has no label of its own to show; what it holds is named.
    const bool container = e.Role == TAccessibleRole::Pane ||
                           e.Role == TAccessibleRole::PropertyPage ||
                           e.Role == TAccessibleRole::Client;
    if (e.Name.empty() && !container)
      unnamed.push_back(root.Name() + "." + e.Control->Name() + (e.Link >= 0 ? "#link" : ""));
    auto *inner = dynamic_cast<const TWinControl *>(e.Control);
    if (inner && e.Link < 0 && inner->Showing())
      CollectUnnamed(*inner, unnamed, count);
  }
}
