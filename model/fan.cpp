#include "fan.h"

Fan::Fan(QObject* parent) : QObject(parent) {}

Fan::~Fan() = default;
