-- fxs/spawn-dust.lua
-- An alien crawls onto the field in a puff of dust.

FXParm ("num_parts", 6);
FXParm ("bitmap", "fxs/dust.png");
FXParm ("color_r", 0.75, 0.85);
FXParm ("color_g", 0.65, 0.75);
FXParm ("color_b", 0.5, 0.6);
FXParm ("alpha", 0.48, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_radius", 4, 12);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 10, 30);
FXParm ("dampening_factor", 0.2, 0.4);
FXParm ("scale", 0.5, 0.8);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -45, 45);
FXParm ("age_to_die", 0.6, 1);
