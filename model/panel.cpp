#include "panel.h"

namespace {
// Panels travel to the worker through queued connections.
const int panelPointerTypeId = qRegisterMetaType<Panel*>("Panel*");
} // namespace

Panel::Panel(QObject* parent) : QObject(parent) {}

Panel::~Panel() = default;
