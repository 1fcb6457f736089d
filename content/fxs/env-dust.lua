-- fxs/env-dust.lua
-- Dust blowing across the ground in the direction of the emitter.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/dust.png");
FXParm ("color_r", 0.8, 0.9);
FXParm ("color_g", 0.7, 0.8);
FXParm ("color_b", 0.55, 0.65);
FXParm ("alpha", 0.25, 0.35);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_box", 200, 200);
FXParm ("move_angle_spread", 20);
FXParm ("speed", 20, 40);
FXParm ("scale", 0.8, 1.2);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -30, 30);
FXParm ("age_to_die", 2, 3);
