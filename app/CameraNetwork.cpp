#include "Camera.h"

// Handlers of the window's group; to be filled in.
void Camera::OnReadNetwork() {}
void Camera::OnSetNetwork() {}
void Camera::OnWifiModeChange() {}
