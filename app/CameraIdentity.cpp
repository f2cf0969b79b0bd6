#include "Camera.h"

// Handlers of the window's group; to be filled in.
void Camera::OnReadIdentity() {}
void Camera::OnSetIdentity() {}
