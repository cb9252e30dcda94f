#include "ui/settings/PaneEnvironment.h"

#include "app/AppModel.h"

namespace orvane {

const Capabilities& PaneEnvironment::capabilities() const { return model->capabilities(); }

}  // namespace orvane
