-- fxs/napalm-trail.lua
-- Burning napalm dripping behind the rocket.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/fire.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.35, 0.55);
FXParm ("color_b", 0.1, 0.15);
FXParm ("move_angle", 180);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 10, 20);
FXParm ("scale", 0.3, 0.45);
FXParm ("scale_graph", 0, 1);
FXParm ("scale_graph", 1, 0.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.25, 0.4);
