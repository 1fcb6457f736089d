-- fxs/pilot-light.lua
-- The flame thrower's pilot light flickering at the nozzle.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.5, 0.7);
FXParm ("color_g", 0.6, 0.8);
FXParm ("color_b", 1, 1);
FXParm ("init_move", 1, 2);
FXParm ("scale", 0.15, 0.25);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.12, 0.2);
