#include "support/probe_form.h"

#include <QTimer>

namespace tarnwick::testing {

bool ProbeForm::TimerActive() const { return MainTimer->isActive(); }

}  // namespace tarnwick::testing
