-- fxs/ichor-hit.lua
-- Yellow-green ichor splashing from a hit alien.

FXParm ("num_parts", 4);
FXParm ("bitmap", "fxs/goo-drop.png");
FXParm ("color_r", 0.75, 0.9);
FXParm ("color_g", 0.85, 1);
FXParm ("color_b", 0.15, 0.25);
FXParm ("move_angle_spread", 120);
FXParm ("speed", 40, 90);
FXParm ("dampening_factor", 0.05, 0.15);
FXParm ("scale", 0.4, 0.7);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.2, 0.35);
