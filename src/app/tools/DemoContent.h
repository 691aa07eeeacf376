#pragma once

// Fills a new, upgraded database with the demo's users, key sets and tree.
void fillDemoContent();
