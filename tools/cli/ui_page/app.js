const files = await (await fetch("/api/files")).json();
document.getElementById("files").textContent = files.map((f) => f.name).join(", ");
