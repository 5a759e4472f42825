#pragma once

class QComboBox;
class QWidget;

namespace corvalis {

// The channel drop-down every page shares: "Chan 1" to "Chan 4" and "Out1",
// item n standing for channel index n, named `name`.
QComboBox* NewChannelCombo(const char* name, QWidget* parent = nullptr);

}  // namespace corvalis
